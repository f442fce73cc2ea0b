#include "prg.h"
#include "velloc.h"

#include "platform/services.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace platform;

namespace velpack {

namespace {
QPointer<QDialog>& aboutBox()
{
    thread_local QPointer<QDialog> box;
    return box;
}
} // namespace

Result<Variant> Velloc::About()
{
    QPointer<QDialog>& box = aboutBox();
    if (!box) {
        box = new QDialog;
        box->setWindowTitle(QStringLiteral("About Velpack"));
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(new QLabel(QStringLiteral("Velpack")));
        layout->addWidget(new QLabel(QStringLiteral("Version: %1.%2 Build %3").arg(VersionMajor).arg(VersionMinor).arg(VersionRevision)));
        auto* close = new QPushButton(QStringLiteral("Close"));
        QObject::connect(close, &QPushButton::clicked, box, &QDialog::hide);
        layout->addWidget(close);
    }
    services::showModal(box, widget());
    return Variant();
}

void Velloc::terminate()
{
    delete aboutBox().data();
    releaseProgressWindow();
}

} // namespace velpack
