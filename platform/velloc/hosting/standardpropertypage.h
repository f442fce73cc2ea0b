#pragma once

#include "velloc/hosting/propertypage.h"
#include "velloc/hosting/propertyeditor.h"

class QComboBox;

namespace velloc {

// What the runtime's standard pages share: they find the properties of one type on the first
// selected control by reading its type information, let the developer pick one of them by
// name and edit it, and write back only the properties that were edited.
class VELLOC_EXPORT StandardPropertyPage : public PropertyPage {
public:
    ~StandardPropertyPage() override;

    QSize pageSize() const override { return {5925, 3495}; }

    // The properties the page edits, in interface order, and the one its editors show.
    QStringList propertyNames() const;
    QString currentProperty() const;
    void selectProperty(const QString& name);

    // The value the page holds for a property: the edit not applied yet, or the value read.
    Variant value(const QString& name) const;

protected:
    // The kind of property the page edits, as the editor registry tells kinds apart.
    virtual ValueKind kind() const = 0;
    // The current property as the registry describes it (its editor: PropertyEditor::of).
    PropertyType currentType() const;
    // The editors, placed below the property list.
    virtual QWidget* createEditor() = 0;
    // Fills the editors with a value, without marking the page changed.
    virtual void showValue(const Variant& value) = 0;

    // The editors report a value picked for the current property.
    void edit(Variant value);
    bool isFilling() const { return m_filling; }

    QWidget* createWidget() override;
    Result<void> selectionChanged() override;
    Result<void> applyChanges() override;

private:
    struct Entry {
        PropertyType type;
        QString name;
        Variant value;
        bool edited = false;
    };

    void showCurrent();

    QList<Entry> m_entries;
    QComboBox* m_names = nullptr;
    int m_current = -1;
    bool m_filling = false;
};

} // namespace velloc
