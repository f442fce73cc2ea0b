#pragma once

#include "velloc/core/variant.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace velpack {

// The library's about box: a borderless, splash-like window, sized to its frame, centred on
// the screen, above all other windows while it is shown, and gone again five seconds after it
// becomes active. It stays loaded once hidden, so a later showing skips the loading steps; the
// control's Terminate unloads it.
class frmAbout final : public QWidget {
public:
    static constexpr QSize InitialClientSize {6915, 5130}; // twips
    static constexpr QRect Shape1Geometry {0, 0, 6915, 5085};
    static constexpr int CloseAfterMs = 5000;
    static constexpr QSize LogoSize {452, 312}; // pixels
    static inline const QString Caption = QStringLiteral("About Velpack");
    static inline const QString AppTitle = QStringLiteral("Velpack");
    // The runtime the control is made for, as the box names it.
    static inline const QString EnvironmentName = QStringLiteral("Velloc runtime");

    // The thread's box, loaded on first use.
    static frmAbout& load();
    // The box while it is loaded, else null.
    static frmAbout* loaded();
    // Closes the box if it is shown and releases it.
    static void unload();

    // The built-in logo: a JPEG image of LogoSize, drawn and encoded once.
    static const QByteArray& logoJpeg();
    static QIcon helpIcon();
    // The library's help file, which lies beside the library.
    static QString helpFilePath();

    frmAbout();

    QFrame* Shape1 = nullptr;
    QLabel* Image1 = nullptr;
    std::array<QLabel*, 2> AppName {};
    QLabel* lblVersion = nullptr;
    QLabel* lblVer = nullptr;
    QLabel* lblCopyright = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdFocus = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Timer1_Timer();
    void showHelp();
};

// Puts a window into the topmost layer (IsOnTop true, -1) or, for any other value, at the
// bottom of the window order and out of that layer; neither moves nor resizes it. A missing
// window is left alone.
velloc::Variant OnTop(QWidget* WindowHwnd, std::int16_t IsOnTop);

} // namespace velpack
