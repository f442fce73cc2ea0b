#pragma once

#include "velloc/store/font.h"
#include "velloc/hosting/standardpropertypage.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace velloc {

// The runtime's standard font page, "StandardFont": edits the font properties of the first
// selected control. An edit becomes a new font object that is assigned to the property, so
// the control sees the assignment (and tells its host) rather than a silent change to the
// object it holds.
class VELLOC_EXPORT StandardFontPage final : public StandardPropertyPage {
public:
    static constexpr Guid Clsid = Guid::literal("{7EBDAAE0-8120-11CF-899F-00AA00688B10}");
    static const ClassInfo& classInfo();

    QString className() const override { return QStringLiteral("StandardFont"); }
    const DispatchTable& dispatch() const override;
    QString caption() const override { return QStringLiteral("Font"); }

protected:
    ValueKind kind() const override { return ValueKind::Font; }
    QWidget* createEditor() override;
    void showValue(const Variant& value) override;

private:
    void picked();

    Font::Description m_shown;
    QComboBox* m_name = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikethrough = nullptr;
    QLabel* m_sample = nullptr;
};

} // namespace velloc
