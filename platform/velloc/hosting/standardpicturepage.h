#pragma once

#include "velloc/hosting/standardpropertypage.h"

class QLabel;
class QPushButton;

namespace velloc {

// The runtime's standard picture page, "StandardPicture": edits the picture properties of
// the first selected control. Browse loads an image file as a new picture object; Clear
// assigns an empty picture.
class VELLOC_EXPORT StandardPicturePage final : public StandardPropertyPage {
public:
    static constexpr Guid Clsid = Guid::literal("{7EBDAAE2-8120-11CF-899F-00AA00688B10}");
    static const ClassInfo& classInfo();

    QString className() const override { return QStringLiteral("StandardPicture"); }
    const DispatchTable& dispatch() const override;
    QString caption() const override { return QStringLiteral("Picture"); }

    void clear();

protected:
    ValueKind kind() const override { return ValueKind::Picture; }
    QWidget* createEditor() override;
    void showValue(const Variant& value) override;

private:
    void browse();

    QLabel* m_preview = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_clear = nullptr;
};

} // namespace velloc
