#pragma once

#include <QImage>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace container {

// One class the registry offers, or one registry entry that is broken.
struct ToolboxEntry {
    QString name;        // the class name, e.g. "Velloc"
    QString progId;
    QString clsid;
    QString version;     // the type library's version
    QString library;     // the library's path, or the registry file of a broken entry
    bool control = false;
    QImage bitmap;       // the toolbox picture (bitmap 30000 of the type library)
    QString problem;     // set for a broken entry: it cannot be inserted
    QString formKind;    // set for a control the form builds itself: its entry's "kind"

    // Every class of the registry in use, then the runtime's own classes. A broken entry
    // (unreadable file, library that does not load) is listed with its error, never fatal.
    static QList<ToolboxEntry> scan();
    // The controls the form builds itself: Label, TextBox, CommandButton, OptionButton, Frame.
    static QList<ToolboxEntry> formControls();
};

// The toolbox: the controls the form builds itself in a group of their own, then the registered
// classes with their pictures, broken entries greyed with their error. A double click, Enter or
// a drag onto the form inserts a control.
class Toolbox final : public QWidget {
    Q_OBJECT
public:
    explicit Toolbox(QWidget* parent = nullptr);

    void reload();
    const QList<ToolboxEntry>& entries() const { return m_entries; }
    QTreeWidget* tree() const { return m_tree; }
    // The width that shows the longest class name whole, with the tree's frame and scroll bar.
    int classColumnWidth() const;
    // The programmatic identifier of the current row, when it can be inserted.
    QString currentProgId() const;
    // The kind of the current row, when it is a control the form builds itself.
    QString currentFormKind() const;

    // What a drag from a row carries: a class's programmatic identifier, or the kind of a
    // control the form builds itself.
    static constexpr auto ProgIdMimeType = "application/x-velloc-progid";
    static constexpr auto FormKindMimeType = "application/x-velloc-form-kind";

signals:
    void insertRequested(const QString& progId);
    void insertFormControlRequested(const QString& kind);

private:
    QTreeWidgetItem* group(const QString& title);

    QTreeWidget* m_tree;
    QList<ToolboxEntry> m_entries;
};

} // namespace container
