#include "velloc/hosting/standardpicturepage.h"

#include "velloc/store/picture.h"
#include "velloc/hosting/services.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace velloc {

const ClassInfo& StandardPicturePage::classInfo()
{
    static const ClassInfo info = [] {
        ClassInfo c;
        c.name = QStringLiteral("StandardPicture");
        c.clsid = Clsid;
        c.propertyPage = true;
        c.create = [] { return std::make_shared<StandardPicturePage>(); };
        return c;
    }();
    return info;
}

const DispatchTable& StandardPicturePage::dispatch() const
{
    static const DispatchTable table = emptyInterface(QStringLiteral("IStandardPicturePage"), Clsid);
    return table;
}

bool StandardPicturePage::edits(const TypeRef& type) const
{
    if (type.vt != VarType::Dispatch)
        return false;
    for (const char* alias : {"Picture", "IPictureDisp", "StdPicture"})
        if (type.alias.compare(QLatin1String(alias), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QWidget* StandardPicturePage::createEditor()
{
    auto* editor = new QWidget;
    auto* layout = new QGridLayout(editor);
    layout->setContentsMargins(0, 0, 0, 0);
    m_preview = new QLabel(editor);
    m_preview->setObjectName(QStringLiteral("picPreview"));
    m_preview->setFrameShape(QFrame::Box);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setMinimumSize(120, 90);
    m_browse = new QPushButton(QStringLiteral("&Browse..."), editor);
    m_browse->setObjectName(QStringLiteral("cmdBrowse"));
    m_clear = new QPushButton(QStringLiteral("&Clear"), editor);
    m_clear->setObjectName(QStringLiteral("cmdClear"));
    layout->addWidget(m_preview, 0, 0, 3, 1);
    layout->addWidget(m_browse, 0, 1);
    layout->addWidget(m_clear, 1, 1);
    layout->setRowStretch(2, 1);
    QObject::connect(m_browse, &QPushButton::clicked, editor, [this] { browse(); });
    QObject::connect(m_clear, &QPushButton::clicked, editor, [this] { clear(); });
    return editor;
}

void StandardPicturePage::browse()
{
    services::FileDialogRequest request;
    request.title = QStringLiteral("Select Picture");
    request.filter = QStringLiteral("All Picture Files|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.ico|All Files (*.*)|*.*");
    request.owner = widget()->window();
    const std::optional<QString> path = services::openFileDialog(request);
    if (!path)
        return;
    if (Result<void> r = loadFile(*path); !r)
        services::messageBox(r.error().message(), services::MsgIcon::Exclamation);
}

Result<void> StandardPicturePage::loadFile(const QString& path)
{
    if (currentProperty().isEmpty())
        return Error(errc::InvalidArgument, QStringLiteral("There is no picture property to set"));
    std::shared_ptr<Picture> picture = VELLOC_TRY(Picture::load(path));
    showValue(Variant::fromObject(picture));
    edit(Variant::fromObject(picture));
    return {};
}

void StandardPicturePage::clear()
{
    if (currentProperty().isEmpty())
        return;
    showValue(Variant::fromObject(Picture::create()));
    edit(Variant::fromObject(Picture::create()));
}

void StandardPicturePage::showValue(const Variant& value)
{
    const auto picture = value.objectAs<Picture>();
    if (picture && !picture->isEmpty()) {
        const QSize room = m_preview->minimumSize();
        QPixmap pixmap = QPixmap::fromImage(picture->image());
        if (pixmap.width() > room.width() || pixmap.height() > room.height())
            pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_preview->setPixmap(pixmap);
        m_preview->setText(QString());
    } else {
        m_preview->setPixmap(QPixmap());
        m_preview->setText(QStringLiteral("(None)"));
    }
    const bool any = !currentProperty().isEmpty();
    m_browse->setEnabled(any);
    m_clear->setEnabled(any);
}

} // namespace velloc
