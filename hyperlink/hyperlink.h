#pragma once

#include "velloc/hosting/propertypage.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace linkwell {

// The control's own property page: edits Hyperlink and Enabled of the first selected control,
// by member name, and shows the forms a hyperlink may take.
class Hyperlink final : public velloc::PropertyPage {
public:
    static constexpr velloc::Guid Clsid = velloc::Guid::literal("{A0369AC5-B6D8-11D3-901D-00207816FA15}");
    static constexpr QSize Size {5925, 3495}; // twips
    static inline const QString ExampleWebAddress = QStringLiteral("Http://www.torvane.example");
    static inline const QString ExampleMailAddress = QStringLiteral("MailTo:support@torvane.example");

    // The page's interface _Hyperlink, which has no members.
    static const velloc::DispatchTable& table();

    QString className() const override { return QStringLiteral("Hyperlink"); }
    const velloc::DispatchTable& dispatch() const override { return table(); }
    QString caption() const override { return QStringLiteral("Hyperlink"); }
    QSize pageSize() const override { return Size; }

    QPointer<QCheckBox> chkEnabled;
    QList<QPointer<QLabel>> Label1; // by index, 0 to 5
    QPointer<QLabel> lblHyperLink;
    QPointer<QLineEdit> txtHyperLink;

protected:
    QWidget* createWidget() override;
    velloc::Result<void> selectionChanged() override;
    velloc::Result<void> applyChanges() override;
};

} // namespace linkwell
