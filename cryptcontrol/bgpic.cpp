#include "bgpic.h"

#include "velloc/hosting/commondialog.h"
#include "velloc/core/latebinding.h"
#include "velloc/store/registry.h"
#include "velloc/core/units.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

using namespace velloc;

namespace velpack {

namespace {

// Waits until the page's window is on screen, then confirms it from the event loop that shows
// it: a sheet confirmed before it is shown would simply be shown again by its host.
class SheetConfirmer final : public QObject {
public:
    explicit SheetConfirmer(QWidget* window)
        : QObject(window)
        , m_window(window)
    {
        window->installEventFilter(this);
        if (window->isVisible())
            confirmSoon();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show)
            confirmSoon();
        return false;
    }

private:
    void confirmSoon()
    {
        QMetaObject::invokeMethod(this, [this] { confirm(); }, Qt::QueuedConnection);
    }

    void confirm()
    {
        // Hidden again before its turn came: wait for the next showing.
        if (!m_window->isVisible())
            return;
        if (auto* dialog = qobject_cast<QDialog*>(m_window)) {
            // What Enter on the default button does: the sheet applies its pages and closes,
            // or reports the refusal and stays open.
            dialog->accept();
        } else {
            QCoreApplication::postEvent(m_window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
            QCoreApplication::postEvent(m_window, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
        }
        deleteLater();
    }

    QWidget* m_window;
};

} // namespace

const DispatchTable& BGPic::table()
{
    static const DispatchTable table = emptyInterface(QStringLiteral("_BGPic"),
                                                      Guid::literal("{C0E9A778-BC9A-11D3-BB5E-403D57C10000}"));
    return table;
}

QWidget* BGPic::createWidget()
{
    auto* face = new QWidget;
    QFont pageFont(QStringLiteral("MS Sans Serif"));
    pageFont.setPointSizeF(8.25);
    face->setFont(pageFont);

    lblBGPicture = new QLabel(QStringLiteral("BGPicture:"), face);
    lblBGPicture->setObjectName(QStringLiteral("lblBGPicture"));
    lblBGPicture->setGeometry(units::toPixels(90, 120, 2700, 240));

    txtBGPicture = new QLineEdit(face);
    txtBGPicture->setObjectName(QStringLiteral("txtBGPicture"));
    txtBGPicture->setGeometry(units::toPixels(90, 370, 2700, 330));
    lblBGPicture->setBuddy(txtBGPicture);

    // Typed or filled in by the page itself, a new text is an edit the sheet should apply.
    QObject::connect(txtBGPicture, &QLineEdit::textChanged, face, [this] { setChanged(true); });

    if (Result<std::shared_ptr<Object>> dialog = createObject(QStringLiteral("MSComDlg.CommonDialog")))
        CD1 = dialog.value();
    return face;
}

Result<void> BGPic::selectionChanged()
{
    // Each step goes ahead whatever the one before it met: a page opened on no selection, or on
    // an object without File, still offers the dialog.
    if (Result<std::shared_ptr<Object>> first = selectedControl(0))
        if (Result<Variant> file = latebound::get(*first.value(), u"File"))
            if (Result<QString> text = file.value().toString())
                txtBGPicture->setText(text.value());

    // A cancelled dialog leaves the path the control has: applying an empty box would wipe the
    // developer's setting, and a sheet that closed at once would leave no chance to type one.
    const std::optional<QString> chosen = askForFile();
    if (!chosen)
        return {};
    txtBGPicture->setText(*chosen);
    confirmSheet();
    return {};
}

std::optional<QString> BGPic::askForFile()
{
    if (!CD1)
        return std::nullopt;
    Object& dialog = *CD1;
    (void)latebound::put(dialog, u"CancelError", Variant::fromBool(true));
    (void)latebound::put(dialog, u"DialogTitle", Variant::fromString(DialogTitle));
    (void)latebound::put(dialog, u"FileName", Variant::fromString(QString()));
    (void)latebound::put(dialog, u"Filter", Variant::fromString(DialogFilter));
    (void)latebound::put(dialog, u"FilterIndex", Variant::fromI2(0));
    (void)latebound::put(dialog, u"Flags", Variant::fromI4(DialogFlags));
    if (auto* common = dynamic_cast<CommonDialog*>(CD1.get()))
        common->owner = widget();

    const std::optional<DispId> showOpen = dialog.idOfName(u"ShowOpen");
    if (!showOpen || !dialog.invoke(*showOpen, InvokeKind::Method, std::span<Variant>()))
        return std::nullopt;
    Result<Variant> name = latebound::get(dialog, u"FileName");
    if (!name)
        return std::nullopt;
    Result<QString> path = name.value().toString();
    if (!path)
        return std::nullopt;
    return path.value();
}

void BGPic::confirmSheet()
{
    delete m_pendingConfirm.data();
    m_pendingConfirm = new SheetConfirmer(widget()->window());
}

Result<void> BGPic::applyChanges()
{
    std::shared_ptr<Object> first = VELLOC_TRY(selectedControl(0));
    return latebound::put(*first, u"File", Variant::fromString(txtBGPicture->text()));
}

} // namespace velpack
