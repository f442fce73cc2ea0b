#pragma once

#include "velloc/hosting/control.h"

namespace velloc {

// The runtime's common-dialog component, "MSComDlg.CommonDialog": a file-open dialog with
// the usual settings. Not visible while a host runs.
class VELLOC_EXPORT CommonDialog final : public Control {
public:
    static constexpr Guid Clsid = Guid::literal("{F9043C85-F6F2-101A-A3C9-08002B2F49FB}");
    static constexpr DispId FileNameId = 1;
    static constexpr DispId ShowOpenId = 30;

    static const ClassInfo& classInfo();

    QString className() const override { return QStringLiteral("CommonDialog"); }
    const DispatchTable& dispatch() const override;
    bool invisibleAtRunTime() const override { return true; }

    Result<void> readProperties(const PropertyBag& bag) override;
    Result<void> writeProperties(PropertyBag& bag) override;

    // Shows the file-open dialog. A cancel raises error 32755 when CancelError is set and
    // otherwise leaves FileName as it was.
    Result<void> showOpen();

    QString fileName;
    QString dialogTitle;
    QString filter;
    int filterIndex = 0;
    int flags = 0;
    QString initDir;
    bool cancelError = false;
    QWidget* owner = nullptr;

protected:
    QWidget* createWidget() override;
};

} // namespace velloc
