#pragma once

#include "velloc/hosting/standardpropertypage.h"

#include <cstdint>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace velloc {

// The runtime's standard colour page, "StandardColor": edits the OLE_COLOR properties of the
// first selected control, from the standard colours, the system colours or a typed value.
class VELLOC_EXPORT StandardColorPage final : public StandardPropertyPage {
public:
    static constexpr Guid Clsid = Guid::literal("{7EBDAAE1-8120-11CF-899F-00AA00688B10}");
    static const ClassInfo& classInfo();

    struct NamedColor {
        QString name;
        std::uint32_t value;
    };
    static const QList<NamedColor>& standardColors();
    static const QList<NamedColor>& systemColors();

    QString className() const override { return QStringLiteral("StandardColor"); }
    const DispatchTable& dispatch() const override;
    QString caption() const override { return QStringLiteral("Color"); }

protected:
    ValueKind kind() const override { return ValueKind::Color; }
    QWidget* createEditor() override;
    void showValue(const Variant& value) override;

private:
    void fillColors(bool system);

    QComboBox* m_set = nullptr;
    QListWidget* m_colors = nullptr;
    QLineEdit* m_value = nullptr;
};

} // namespace velloc
