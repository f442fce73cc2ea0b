#include "form1.h"

#include "velloc/hosting/services.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace velloc;
using services::MsgButtons;
using services::MsgIcon;

namespace {
const QString NoFile = QStringLiteral("Please select a file to encode/decode");
const QString NoKey = QStringLiteral("Please input the KEY used to encode or decode this file. NOTE: the KEY must be an exact match to decode");
const QString Proceeding = QStringLiteral("Proceeding with Encyrption.  Note the progress bar graphic can be changed to ANY graphic file you may want to use for a custom progress bar!");
const QString NoText = QStringLiteral("Please enter some text to encrypt first.");
} // namespace

// The description is compiled into the library that holds the window; a static library's
// resources must be brought in by hand.
static void initResources()
{
    Q_INIT_RESOURCE(demo);
}

Result<std::unique_ptr<Form1>> Form1::create(const QString& dataDir)
{
    initResources();
    QFile description(QStringLiteral(":/demo/Form1.json"));
    if (!description.open(QIODevice::ReadOnly))
        return Error(errc::FileNotFound, QStringLiteral("The window description is missing from the program"));
    std::unique_ptr<Form1> form(new Form1);
    form->m_window = VELLOC_TRY(FormLoader::fromJson(description.readAll(), {{QStringLiteral("DATADIR"), dataDir}}));
    form->bind();
    return form;
}

void Form1::bind()
{
    Form& w = *m_window;
    m_text1 = w.find<QLineEdit>(QStringLiteral("Text1"));
    m_text2 = w.find<QLineEdit>(QStringLiteral("Text2"));
    m_text3 = w.find<QLineEdit>(QStringLiteral("Text3"));
    m_text4 = w.find<QLineEdit>(QStringLiteral("Text4"));
    m_text6 = w.find<QLineEdit>(QStringLiteral("Text6"));
    m_command4 = w.find<QPushButton>(QStringLiteral("Command4"));
    m_command5 = w.find<QPushButton>(QStringLiteral("Command5"));
    connect(w.find<QPushButton>(QStringLiteral("Command1")), &QPushButton::clicked, this, &Form1::encryptFile);
    connect(w.find<QPushButton>(QStringLiteral("Command2")), &QPushButton::clicked, this, &Form1::decryptFile);
    connect(w.find<QPushButton>(QStringLiteral("Command3")), &QPushButton::clicked, this, &Form1::browse);
    connect(m_command4, &QPushButton::clicked, this, &Form1::encryptString);
    connect(m_command5, &QPushButton::clicked, this, &Form1::unencryptString);
    connect(m_text4, &QLineEdit::textChanged, this, &Form1::text4Changed);
    connect(m_text3, &QLineEdit::textChanged, this, &Form1::text3Changed);
    // Each button selects the cipher its caption names; the number in the caption is only
    // the button's place in the list.
    const QList<std::pair<const char*, int>> types {{"Option1", 0}, {"Option3", 2}, {"Option4", 3}, {"Option5", 4},
                                                    {"Option2", 1}, {"Option6", 5}, {"Option7", 6}, {"Option8", 7}};
    for (const auto& [name, type] : types)
        connect(w.find<QRadioButton>(QLatin1String(name)), &QRadioButton::clicked, this, [this, type = type] { cipherChosen(type); });
}

void Form1::notice(const QString& text, MsgIcon icon)
{
    services::messageBox(text, icon, MsgButtons::Ok, ProgramName);
}

Result<Variant> Form1::invoke(const QString& component, const QString& member, InvokeKind kind, QList<Variant> args)
{
    auto caller = m_callers.find(component);
    if (caller == m_callers.end())
        caller = m_callers.emplace(component, latebound::Caller(m_window->component(component))).first;
    Result<Variant> r = caller->second.invoke(member, kind, std::move(args));
    // A failing call is shown and the window goes on.
    if (!r && r.error().number() != errc::CancelSelected)
        notice(QStringLiteral("Error %1: %2").arg(r.error().number()).arg(r.error().message()), MsgIcon::Critical);
    return r;
}

bool Form1::put(const QString& component, const QString& member, Variant value)
{
    return invoke(component, member, InvokeKind::PropertyPut, {std::move(value)}).ok();
}

bool Form1::checkFileAndKey()
{
    if (m_text1->text().isEmpty()) {
        notice(NoFile, MsgIcon::Critical);
        return false;
    }
    if (m_text2->text().isEmpty()) {
        notice(NoKey, MsgIcon::Critical);
        return false;
    }
    return true;
}

void Form1::encryptFile()
{
    if (!checkFileAndKey())
        return;
    notice(Proceeding, MsgIcon::None);
    if (put(QStringLiteral("Velloc1"), QStringLiteral("KEY"), Variant::fromString(m_text2->text()))
        && put(QStringLiteral("Velloc1"), QStringLiteral("File"), Variant::fromString(m_text1->text())))
        (void)invoke(QStringLiteral("Velloc1"), QStringLiteral("Encode"), InvokeKind::Method);
}

void Form1::decryptFile()
{
    notice(Proceeding, MsgIcon::None);
    if (!checkFileAndKey())
        return;
    if (put(QStringLiteral("Velloc1"), QStringLiteral("KEY"), Variant::fromString(m_text2->text()))
        && put(QStringLiteral("Velloc1"), QStringLiteral("File"), Variant::fromString(m_text1->text())))
        (void)invoke(QStringLiteral("Velloc1"), QStringLiteral("Decode"), InvokeKind::Method);
}

void Form1::browse()
{
    // The dialog raises its cancel error when dismissed, so a cancel leaves the path alone.
    if (!invoke(QStringLiteral("CommonDialog1"), QStringLiteral("ShowOpen"), InvokeKind::Method))
        return;
    Result<Variant> name = invoke(QStringLiteral("CommonDialog1"), QStringLiteral("FileName"), InvokeKind::PropertyGet);
    if (name)
        m_text1->setText(name->string());
}

void Form1::encryptString()
{
    if (m_text4->text().isEmpty()) {
        m_command4->setEnabled(false);
        notice(NoText, MsgIcon::None);
        return;
    }
    // The buttons change only once the call has succeeded: a failed call (its error shown while
    // the window is as it was) leaves the typed text and both buttons alone.
    Result<Variant> result = invoke(QStringLiteral("Velloc1"), QStringLiteral("EncodeString"), InvokeKind::Method,
                                    {Variant::fromString(m_text4->text())});
    if (!result)
        return;
    m_command5->setEnabled(true);
    m_text4->clear();
    m_text6->setText(result->string());
    m_command4->setEnabled(false);
}

void Form1::unencryptString()
{
    Result<Variant> result = invoke(QStringLiteral("Velloc1"), QStringLiteral("DecodeString"), InvokeKind::Method,
                                    {Variant::fromString(m_text6->text())});
    if (!result)
        return;
    m_command4->setEnabled(true);
    m_text4->setText(result->string());
    m_text6->clear();
    m_command5->setEnabled(false);
}

void Form1::text4Changed()
{
    m_command4->setEnabled(true);
}

void Form1::text3Changed()
{
    // Only whole numbers the offset can hold are sent; anything else is marked and not taken.
    bool ok = false;
    const int offset = m_text3->text().trimmed().toInt(&ok);
    const bool valid = ok && offset >= 0 && offset <= 255;
    QPalette palette = m_text3->palette();
    palette.setColor(QPalette::Base, valid ? QPalette().color(QPalette::Base) : QColor(255, 200, 200));
    m_text3->setPalette(palette);
    m_text3->setToolTip(valid ? QString() : QStringLiteral("The offset must be a whole number from 0 to 255; the last valid one stays in use"));
    m_text3->setProperty("accepted", valid);
    if (valid)
        put(QStringLiteral("Velloc1"), QStringLiteral("CeaserOffset"), Variant::fromI4(offset));
}

void Form1::cipherChosen(int protectionType)
{
    put(QStringLiteral("Velloc1"), QStringLiteral("ProtectionType"), Variant::fromI4(protectionType));
}
