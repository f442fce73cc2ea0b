#include "formcanvas.h"

#include <QApplication>
#include <QJsonDocument>

using namespace velloc;

namespace container::formcanvas {

Result<std::unique_ptr<Form>> build(const QJsonObject& root, const FormLoader::Variables& variables)
{
    QJsonObject window = root;
    window.remove(QStringLiteral("controls"));
    window.remove(QStringLiteral("tabOrder"));
    window.remove(QStringLiteral("startUpPosition"));
    return FormLoader::fromJson(QJsonDocument(window).toJson(), variables);
}

void adopt(Form& canvas, QWidget* surface)
{
    canvas.setParent(surface, Qt::Widget);
    canvas.move(0, 0);
    // The form keeps a window's colours, whatever the area around it shows.
    canvas.setPalette(QApplication::palette(&canvas));
    canvas.setBackgroundRole(QPalette::Window);
    canvas.setAutoFillBackground(true);
    canvas.show();
}

} // namespace container::formcanvas
