#pragma once

#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

namespace velloc {
class Picture;
}

namespace velpack {

class PRG;

// A control's picture holder: carries the Picture property and sizes the progress window.
struct PictureHolder {
    std::shared_ptr<velloc::Picture> picture; // null: no picture
    int widthTwips = 7740;
    int heightTwips = 4020;
};

inline constexpr const char* DefaultKey = "Harbour Lanterns";

// The settings behind the control's properties, one set per thread: every instance on a thread
// shares them, and the operations read them afresh for every block.
struct SharedSettings {
    QString CurrentKey = QString::fromLatin1(DefaultKey);
    QString CurrentFile;
    std::uint8_t CurrentProtectionType = 0;
    std::uint8_t CurrentCeaserOffset = 30;
    bool CurrentShowProgress = true;
    bool CancelRequested = false;
    // The picture holder the progress display draws from; it expires with its instance, and an
    // expired one counts as unset.
    std::weak_ptr<PictureHolder> ProgressPictureBox;

    // Working fields of the file operations.
    std::int32_t CurrentFileLength = 0;
    std::uint32_t CurrentFileAttributes = 0; // permission bits of the file being rewritten
    double ProgressScale = 0;
    QPointer<PRG> ProgressWindow;
    bool OperationRunning = false;
};

SharedSettings& sharedSettings();

} // namespace velpack
