#pragma once

#include "velloc/core/typeinfo.h"
#include "velloc/hosting/propertyeditor.h"

#include <QHash>
#include <QWidget>

class QComboBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace container {

class DesignForm;
struct DesignItem;

// One property of a control as the browser shows it; its kind picks its editor.
struct PropertyRow : velloc::PropertyType {
    velloc::DispId id = 0;
    QString help;
    QString category;
    bool writable = false;
    bool byRef = false;             // objects are put by reference where the control allows it

    // The properties of an object's default interface in interface order; enumerations are
    // looked up among `enums` by the property's type name.
    static QList<PropertyRow> of(const velloc::Object& object, const QList<velloc::EnumInfo>& enums);
    const velloc::PropertyEditor& editor() const { return velloc::PropertyEditor::of(*this); }
    // The value as the browser shows it, and the text an edit is read from.
    QString display(const velloc::Variant& value) const { return editor().display(*this, value); }
    velloc::Result<velloc::Variant> parse(const QString& text) const { return editor().parse(*this, text); }
};

// The property browser of the selected control: every property with its current value read
// through dispatch, its help string as tool tip, and an editor per type. An edit goes through
// the control's put; a refused value keeps the old one and shows the control's error beside the row.
class PropertyBrowser final : public QWidget {
    Q_OBJECT
public:
    enum class Order { Interface, Alphabetical, Category };

    explicit PropertyBrowser(QWidget* parent = nullptr);

    void setForm(DesignForm* form);
    void setOrder(Order order);
    QString control() const { return m_control; }
    QTreeWidget* tree() const { return m_tree; }

    // Applies an edit as if typed into the row: the row's text form (see PropertyRow::parse).
    velloc::Result<void> edit(const QString& property, const QString& text);
    velloc::Result<void> put(const QString& property, const velloc::Variant& value);
    // The row of a property (the name row is "(Name)").
    QTreeWidgetItem* row(const QString& property) const;
    const PropertyRow* property(const QString& name) const;
    // What edits a row, the control's properties and the place and size alike (none: plain text).
    const velloc::PropertyType* typeOf(const QString& name) const;
    // Opens the dialog for a colour, font, picture or file row.
    void chooseValue(const QString& property);
    // Whether a property differs from what a new instance of the class holds (shown bold), and
    // putting that value back.
    bool isChanged(const QString& property) const;
    velloc::Result<void> reset(const QString& property);

    void rebuild();
    void refreshValues();

private:
    void readOnlyChanged();
    void showMessageColumn();
    void readDefaults(const DesignItem& item);

    DesignForm* m_form = nullptr;
    QString m_control;
    QList<PropertyRow> m_rows;
    QHash<QString, QString> m_messages; // refused edits, by property
    QHash<QString, velloc::Variant> m_defaults; // a new instance's values, by property
    Order m_order = Order::Interface;
    QLabel* m_title;
    QComboBox* m_orderBox;
    QTreeWidget* m_tree;
};

} // namespace container
