#include "toolbox.h"

#include "formcontrolkind.h"

#include "velloc/store/registry.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace velloc;

namespace container {

namespace {

enum Column { NameColumn, ProgIdColumn, ClsidColumn, VersionColumn, LibraryColumn };
enum Role { ProgIdRole = Qt::UserRole, FormKindRole };

// Drags carry what the row inserts: a class's programmatic identifier or a form control's kind.
class ToolboxTree final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    QStringList mimeTypes() const override { return {QLatin1String(Toolbox::ProgIdMimeType), QLatin1String(Toolbox::FormKindMimeType)}; }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override
    {
        if (items.isEmpty())
            return nullptr;
        for (const auto& [role, type] : {std::pair(ProgIdRole, Toolbox::ProgIdMimeType), std::pair(FormKindRole, Toolbox::FormKindMimeType)})
            if (const QString what = items.first()->data(NameColumn, role).toString(); !what.isEmpty()) {
                auto* data = new QMimeData;
                data->setData(QLatin1String(type), what.toUtf8());
                return data;
            }
        return nullptr;
    }
};

// A form control's toolbox picture, drawn as the control looks in miniature.
QIcon formControlIcon(BuiltInControl::Kind kind)
{
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor ink(40, 40, 40), face(212, 208, 200);
    switch (kind) {
    case BuiltInControl::Kind::Label: {
        QFont f = p.font();
        f.setPixelSize(14);
        f.setBold(true);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case BuiltInControl::Kind::TextBox:
        p.setPen(ink);
        p.setBrush(Qt::white);
        p.drawRect(0, 2, 15, 10);
        p.drawLine(3, 4, 3, 10); // the caret
        p.drawLine(6, 9, 12, 9);
        break;
    case BuiltInControl::Kind::Button:
        p.setPen(Qt::NoPen);
        p.setBrush(face);
        p.drawRect(0, 2, 16, 11);
        p.setPen(Qt::white);
        p.drawLine(0, 2, 15, 2);
        p.drawLine(0, 2, 0, 12);
        p.setPen(ink);
        p.drawLine(0, 12, 15, 12);
        p.drawLine(15, 2, 15, 12);
        p.drawLine(5, 7, 10, 7);
        break;
    case BuiltInControl::Kind::OptionButton:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(ink);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
        p.setBrush(ink);
        p.drawEllipse(QRectF(5, 5, 5, 5));
        break;
    case BuiltInControl::Kind::Frame:
        p.setPen(ink);
        p.drawLine(0, 4, 2, 4); // the border, broken by the caption
        p.drawLine(9, 4, 15, 4);
        p.drawLine(0, 4, 0, 14);
        p.drawLine(15, 4, 15, 14);
        p.drawLine(0, 14, 15, 14);
        p.drawLine(4, 2, 7, 2);
        p.drawLine(4, 5, 7, 5);
        break;
    }
    return QIcon(pixmap);
}

} // namespace

QList<ToolboxEntry> ToolboxEntry::scan()
{
    QList<ToolboxEntry> out;
    QStringList problems;
    for (const Registry::LibraryEntry& lib : Registry::libraries(&problems)) {
        Result<Module*> module = Module::load(lib.path);
        for (const Registry::ClassEntry& cls : lib.classes) {
            ToolboxEntry e;
            e.name = cls.name;
            e.progId = cls.progId;
            e.clsid = cls.clsid.toString();
            e.version = cls.typeLibVersion;
            e.library = lib.path;
            e.control = cls.control;
            if (!module)
                e.problem = module.error().message();
            else if (!(*module)->typeLib().findClass(cls.clsid))
                e.problem = QStringLiteral("The library no longer provides this class");
            else
                e.bitmap = (*module)->typeLib().bitmap(30000);
            out << e;
        }
        if (lib.classes.isEmpty()) {
            ToolboxEntry e;
            e.name = QFileInfo(lib.path).fileName();
            e.library = lib.path;
            e.problem = QStringLiteral("The entry names no classes");
            out << e;
        }
    }
    for (const QString& problem : std::as_const(problems)) {
        ToolboxEntry e;
        e.name = QStringLiteral("(unreadable entry)");
        e.library = Registry::location();
        e.problem = problem;
        out << e;
    }
    for (const ClassInfo& cls : builtInClasses()) {
        ToolboxEntry e;
        e.name = cls.name;
        e.progId = cls.progId;
        e.clsid = cls.clsid.toString();
        e.version = QStringLiteral("runtime");
        e.library = QStringLiteral("(the runtime)");
        e.control = cls.control;
        out << e;
    }
    return out;
}

QList<ToolboxEntry> ToolboxEntry::formControls()
{
    QList<ToolboxEntry> out;
    for (const FormControlKind& k : FormControlKind::all()) {
        ToolboxEntry e;
        e.name = k.className();
        e.library = QStringLiteral("(the form)");
        e.control = true;
        e.formKind = k.key;
        out << e;
    }
    return out;
}

Toolbox::Toolbox(QWidget* parent) : QWidget(parent), m_tree(new ToolboxTree(this))
{
    m_tree->setObjectName(QStringLiteral("toolboxTree"));
    m_tree->setHeaderLabels({tr("Class"), tr("Programmatic identifier"), tr("Class identifier"), tr("Version"), tr("Library")});
    m_tree->setIconSize(QSize(16, 15));
    m_tree->setDragEnabled(true);
    m_tree->setDragDropMode(QAbstractItemView::DragOnly);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int c = 0; c < m_tree->columnCount(); ++c)
        m_tree->headerItem()->setToolTip(c, m_tree->headerItem()->text(c));
    auto* reloadButton = new QPushButton(tr("&Reload"), this);
    reloadButton->setObjectName(QStringLiteral("reloadToolbox"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_tree);
    layout->addWidget(reloadButton);
    connect(reloadButton, &QPushButton::clicked, this, &Toolbox::reload);
    connect(m_tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (const QString kind = item->data(NameColumn, FormKindRole).toString(); !kind.isEmpty())
            emit insertFormControlRequested(kind);
        else if (const QString progId = item->data(NameColumn, ProgIdRole).toString(); !progId.isEmpty())
            emit insertRequested(progId);
    });
    reload();
}

QTreeWidgetItem* Toolbox::group(const QString& title)
{
    auto* row = new QTreeWidgetItem(m_tree, {title});
    row->setFlags(Qt::ItemIsEnabled);
    row->setFirstColumnSpanned(true);
    QFont bold = m_tree->font();
    bold.setBold(true);
    row->setFont(NameColumn, bold);
    return row;
}

void Toolbox::reload()
{
    m_entries = ToolboxEntry::formControls() + ToolboxEntry::scan();
    m_tree->clear();
    QTreeWidgetItem* formControls = group(tr("Form controls"));
    QTreeWidgetItem* components = group(tr("Components"));
    for (const ToolboxEntry& e : std::as_const(m_entries)) {
        if (!e.formKind.isEmpty()) {
            auto* row = new QTreeWidgetItem(formControls, {e.name, QString(), QString(), QString(), e.library});
            row->setIcon(NameColumn, formControlIcon(FormControlKind::find(e.formKind)->kind));
            row->setData(NameColumn, FormKindRole, e.formKind);
            for (int c = 0; c < m_tree->columnCount(); ++c)
                row->setToolTip(c, tr("%1: a control the form builds itself, saved as kind \"%2\"").arg(e.name, e.formKind));
            continue;
        }
        auto* row = new QTreeWidgetItem(components, {e.name, e.progId, e.clsid, e.version, e.library});
        QString tip = QStringLiteral("%1\n%2\n%3").arg(e.progId, e.clsid, e.library);
        if (!e.bitmap.isNull())
            row->setIcon(NameColumn, QIcon(QPixmap::fromImage(e.bitmap)));
        if (!e.problem.isEmpty()) {
            row->setText(LibraryColumn, QStringLiteral("%1: %2").arg(e.library, e.problem));
            tip = e.problem;
            row->setFlags(row->flags() & ~Qt::ItemIsEnabled);
        } else if (!e.control) {
            row->setText(NameColumn, tr("%1 (not a control)").arg(e.name));
            row->setFlags(row->flags() & ~Qt::ItemIsDragEnabled);
        } else {
            row->setData(NameColumn, ProgIdRole, e.progId);
        }
        for (int c = 0; c < m_tree->columnCount(); ++c)
            row->setToolTip(c, tip);
    }
    m_tree->expandAll();
}

int Toolbox::classColumnWidth() const
{
    // QTreeView hides its override, which counts the indentation; the base class reaches it.
    return static_cast<const QAbstractItemView*>(m_tree)->sizeHintForColumn(0) + 2 * m_tree->frameWidth() + m_tree->verticalScrollBar()->sizeHint().width()
        + layout()->contentsMargins().left() + layout()->contentsMargins().right();
}

QString Toolbox::currentProgId() const
{
    QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(NameColumn, ProgIdRole).toString() : QString();
}

QString Toolbox::currentFormKind() const
{
    QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(NameColumn, FormKindRole).toString() : QString();
}

} // namespace container
