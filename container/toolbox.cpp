#include "toolbox.h"

#include "selectionoverlay.h"

#include "velloc/store/registry.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace velloc;

namespace container {

namespace {

enum Column { NameColumn, ProgIdColumn, ClsidColumn, VersionColumn, LibraryColumn };

// Drags carry the programmatic identifier of the class to insert.
class ToolboxTree final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    QStringList mimeTypes() const override { return {QLatin1String(SelectionOverlay::MimeType)}; }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override
    {
        if (items.isEmpty() || items.first()->data(0, Qt::UserRole).toString().isEmpty())
            return nullptr;
        auto* data = new QMimeData;
        data->setData(QLatin1String(SelectionOverlay::MimeType), items.first()->data(0, Qt::UserRole).toString().toUtf8());
        return data;
    }
};

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

Toolbox::Toolbox(QWidget* parent) : QWidget(parent), m_tree(new ToolboxTree(this))
{
    m_tree->setObjectName(QStringLiteral("toolboxTree"));
    m_tree->setHeaderLabels({tr("Class"), tr("Programmatic identifier"), tr("Class identifier"), tr("Version"), tr("Library")});
    m_tree->setRootIsDecorated(false);
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
        const QString progId = item->data(0, Qt::UserRole).toString();
        if (!progId.isEmpty())
            emit insertRequested(progId);
    });
    reload();
}

void Toolbox::reload()
{
    m_entries = ToolboxEntry::scan();
    m_tree->clear();
    for (const ToolboxEntry& e : std::as_const(m_entries)) {
        auto* row = new QTreeWidgetItem(m_tree, {e.name, e.progId, e.clsid, e.version, e.library});
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
            row->setData(NameColumn, Qt::UserRole, e.progId);
        }
        for (int c = 0; c < m_tree->columnCount(); ++c)
            row->setToolTip(c, tip);
    }
}

QString Toolbox::currentProgId() const
{
    QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(NameColumn, Qt::UserRole).toString() : QString();
}

} // namespace container
