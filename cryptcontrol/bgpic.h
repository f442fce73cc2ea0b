#pragma once

#include "velloc/hosting/propertypage.h"

#include <QPointer>

#include <optional>

class QLabel;
class QLineEdit;

namespace velpack {

// The control's property page, also what a property browser opens from File's button. It
// does not wait for typing: as soon as it has a selection it asks for a file, puts the chosen
// path in its box and confirms the sheet, which applies the path to File and closes.
class BGPic final : public velloc::PropertyPage {
public:
    static constexpr velloc::Guid Clsid = velloc::Guid::literal("{1A9BCADD-4913-11D3-B3D9-303549C10000}");
    static constexpr QSize Size {5925, 3495}; // twips
    static inline const QString DialogTitle = QStringLiteral("Select A File To Operate On");
    static inline const QString DialogFilter = QStringLiteral("ALL Files|*.*");
    // The file must exist (0x1000); no read-only box (0x4).
    static constexpr std::int32_t DialogFlags = 4100;

    // The page's interface _BGPic, which has no members.
    static const velloc::DispatchTable& table();

    QString className() const override { return QStringLiteral("BGPic"); }
    const velloc::DispatchTable& dispatch() const override { return table(); }
    QString caption() const override { return QStringLiteral("BGPic"); }
    QSize pageSize() const override { return Size; }

    QPointer<QLabel> lblBGPicture;
    QPointer<QLineEdit> txtBGPicture;
    // The file-open dialog; none when the runtime could not create it.
    std::shared_ptr<velloc::Object> CD1;

protected:
    QWidget* createWidget() override;
    velloc::Result<void> selectionChanged() override;
    velloc::Result<void> applyChanges() override;

private:
    // The chosen path; nothing when the dialog was cancelled or could not be shown.
    std::optional<QString> askForFile();
    // Confirms the window that holds the page, as Enter on its default button does, once that
    // window is on screen and its event loop runs.
    void confirmSheet();

    QPointer<QObject> m_pendingConfirm;
};

} // namespace velpack
