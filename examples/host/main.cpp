// Embeds both controls through their typed proxies: enciphers a string and a file, follows the
// progress, shows a failure, and sets a link. Usage: velloc-host-example FILE
#include <velloc/proxies/linkwell_linkwelltxt.h>
#include <velloc/proxies/vellib_velloc.h>

#include <QApplication>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* cipher = new Vellib::Velloc;
    auto* link = new Linkwell::LinkwellTxt;
    layout->addWidget(cipher);
    layout->addWidget(link);

    QObject::connect(cipher, &Vellib::Velloc::progress, [](qint32& at) { std::printf("progress %d\n", at); });
    QObject::connect(cipher, &velloc::ControlHost::error, [](int n, const QString& text) {
        std::printf("error %d: %s\n", n, qPrintable(text));
    });
    QObject::connect(cipher, &velloc::ControlHost::messageShown, [](const QString& text, const QString&, int) {
        std::printf("message: %s\n", qPrintable(text));
    });
    cipher->setKey(QStringLiteral("a key of our own"));
    cipher->setProtectionType(Vellib::Velloc::PType::Class);
    cipher->setShowProgress(false);
    const QString secret = cipher->encodeString(QStringLiteral("Meet at the harbour"));
    std::printf("string back: %s\n", qPrintable(cipher->decodeString(secret)));

    cipher->setFile(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("missing.txt"));
    cipher->encode();
    cipher->decode();
    link->setHyperlink(QStringLiteral("https://www.torvane.example/"));
    std::printf("link: %s, %dx%d\n", qPrintable(link->hyperlink()), link->sizeHint().width(), link->sizeHint().height());
    window.show();
    return cipher->isNull() || link->isNull() ? 1 : 0;
}
