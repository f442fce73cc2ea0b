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
    const PropertyType type = currentType();
    if (type.name.isEmpty())
        return;
    Result<std::optional<Variant>> chosen =
        PropertyEditor::forKind(ValueKind::Picture).choose(type, value(type.name), QStringLiteral("Select Picture"), widget()->window());
    if (!chosen)
        services::messageBox(chosen.error().message(), services::MsgIcon::Exclamation);
    else if (*chosen) {
        showValue(**chosen);
        edit(**chosen);
    }
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
