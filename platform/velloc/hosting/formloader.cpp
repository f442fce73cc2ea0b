#include "velloc/hosting/formloader.h"

#include "velloc/hosting/builtincontrol.h"

#include "velloc/io/localfile.h"
#include "velloc/store/picture.h"
#include "velloc/store/registry.h"
#include "velloc/core/units.h"
#include "velloc/store/varianttext.h"

#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <cmath>
#include <limits>

namespace velloc {

Form::~Form()
{
    // Components outlive their faces only as long as the window does.
    for (const auto& component : std::as_const(m_components))
        if (auto* control = dynamic_cast<Control*>(component.get())) {
            control->terminate();
            control->setSite(nullptr);
        }
    for (const auto& control : std::as_const(m_builtIns))
        control->setSite(nullptr);
}

std::shared_ptr<Object> Form::object(const QString& name) const
{
    if (auto builtIn = m_builtIns.value(name))
        return builtIn;
    return m_components.value(name);
}

Result<void> Form::propertyChanged(Control& control, const QString& name)
{
    if (onPropertyChanged)
        for (const QString& n : std::as_const(m_order))
            if (object(n).get() == &control)
                onPropertyChanged(n, name);
    return {};
}

// Builds one window; a friend of Form.
class FormBuilder {
public:
    FormBuilder(Form& form, const FormLoader::Variables& variables) : m_form(form), m_variables(variables) {}

    Error fail(const QString& control, const QString& what) const
    {
        return Error(errc::InvalidArgument, QStringLiteral("%1: %2").arg(control.isEmpty() ? QStringLiteral("the form") : control, what));
    }

    QString text(const QJsonValue& v) const { return FormLoader::expand(v.toString(), m_variables); }

    Result<Variant> value(const QString& control, const QString& key, const QJsonValue& v) const
    {
        Result<Variant> parsed = varianttext::parseAll(text(v));
        if (!parsed)
            return fail(control, QStringLiteral("%1: %2").arg(key, parsed.error().message()));
        return parsed;
    }

    Result<void> controls(const QJsonArray& list, QWidget* parent, const std::shared_ptr<BuiltInControl>& container = nullptr)
    {
        for (const QJsonValue& entry : list) {
            const QJsonObject o = entry.toObject();
            const QString name = o.value(QStringLiteral("name")).toString();
            if (name.isEmpty())
                return fail({}, QStringLiteral("a control has no name"));
            if (m_form.m_widgets.contains(name) || m_form.m_components.contains(name))
                return fail(name, QStringLiteral("the name is used twice"));
            VELLOC_TRY_VOID(control(name, o, parent, container));
            m_form.m_order << name;
            if (o.contains(QStringLiteral("tabIndex"))) {
                const QJsonValue index = o.value(QStringLiteral("tabIndex"));
                if (!index.isDouble() || index.toDouble() < 0 || index.toDouble() != std::trunc(index.toDouble()) || index.toDouble() > 1e9)
                    return fail(name, QStringLiteral("tabIndex takes a whole number from 0"));
                m_tabIndexes.insert(name, qint64(index.toDouble()));
            }
        }
        return {};
    }

    // Every control is made the one way a host makes it (FormLoader::createControl), then
    // placed: a built-in one from its entry's keys, a component from its bag.
    Result<void> control(const QString& name, const QJsonObject& o, QWidget* parent, const std::shared_ptr<BuiltInControl>& container)
    {
        const QString kind = o.value(QStringLiteral("kind")).toString();
        const std::optional<BuiltInControl::Kind> builtInKind = BuiltInControl::kindOf(kind);
        if (!builtInKind && kind != QLatin1String("component"))
            return fail(name, QStringLiteral("unknown kind of control \"%1\"").arg(kind));
        if (!builtInKind && o.contains(QStringLiteral("visible")) && !o.value(QStringLiteral("visible")).isBool())
            return fail(name, QStringLiteral("visible takes true or false"));
        Result<std::shared_ptr<Object>> object = FormLoader::createControl(o, m_form, m_variables, parent);
        if (!object)
            return Error(object.error().number(), QStringLiteral("%1: %2").arg(name, object.error().message()));
        auto builtIn = std::dynamic_pointer_cast<BuiltInControl>(object.value());
        if (builtIn) {
            builtIn->setContainer(container);
            m_form.m_builtIns.insert(name, builtIn);
        } else {
            m_form.m_components.insert(name, object.value());
        }
        auto* control = dynamic_cast<Control*>(object->get());
        if (control->invisibleAtRunTime())
            return {};
        QWidget* face = control->widget();
        if (face->parentWidget() != parent)
            face->setParent(parent);
        face->setObjectName(name);
        face->move(units::toPixelsX(o.value(QStringLiteral("left")).toInt()), units::toPixelsY(o.value(QStringLiteral("top")).toInt()));
        if (!(builtIn ? builtIn->isVisible() : o.value(QStringLiteral("visible")).toBool(true)))
            face->setVisible(false);
        m_form.m_widgets.insert(name, face);
        // Children of a frame are placed relative to the frame itself.
        if (builtIn && builtIn->kind() == BuiltInControl::Kind::Frame)
            VELLOC_TRY_VOID(controls(o.value(QStringLiteral("controls")).toArray(), face, builtIn));
        return {};
    }

    // The focus order the controls' tabIndex keys give: by number, then those without one, each
    // in the order of the description.
    QStringList focusByIndex() const
    {
        if (m_tabIndexes.isEmpty())
            return {};
        QStringList names = m_form.m_order;
        std::stable_sort(names.begin(), names.end(), [this](const QString& a, const QString& b) {
            return m_tabIndexes.value(a, std::numeric_limits<qint64>::max()) < m_tabIndexes.value(b, std::numeric_limits<qint64>::max());
        });
        return names;
    }

private:
    Form& m_form;
    const FormLoader::Variables& m_variables;
    QHash<QString, qint64> m_tabIndexes;
};

Result<QJsonObject> FormLoader::parseDescription(const QByteArray& json)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull())
        return jsonError(json, parseError, QStringLiteral("The window description"));
    // The reader takes an object or an array at the top.
    if (!doc.isObject())
        return Error(errc::InvalidArgument, QStringLiteral("The window description is a JSON array; it must be an object ({ ... })"));
    return doc.object();
}

Result<std::unique_ptr<Form>> FormLoader::fromJson(const QByteArray& json, const Variables& variables)
{
    const QJsonObject root = VELLOC_TRY(parseDescription(json));
    std::unique_ptr<Form> form(new Form);
    FormBuilder builder(*form, variables);
    form->setObjectName(root.value(QStringLiteral("name")).toString());
    form->setWindowTitle(builder.text(root.value(QStringLiteral("caption"))));
    Variant fontValue = Variant::fromObject(Font::create());
    if (root.contains(QStringLiteral("font")))
        fontValue = VELLOC_TRY(builder.value({}, QStringLiteral("font"), root.value(QStringLiteral("font"))));
    form->m_font = fontValue.objectAs<Font>();
    if (!form->m_font)
        return builder.fail({}, QStringLiteral("font is not a font"));
    form->setFont(form->m_font->toQFont());
    if (root.contains(QStringLiteral("icon"))) {
        Variant icon = VELLOC_TRY(builder.value({}, QStringLiteral("icon"), root.value(QStringLiteral("icon"))));
        if (auto picture = icon.objectAs<Picture>())
            form->setWindowIcon(QIcon(QPixmap::fromImage(picture->image())));
    }
    const QSize client = units::toPixels(QSize(root.value(QStringLiteral("clientWidth")).toInt(),
                                               root.value(QStringLiteral("clientHeight")).toInt()));
    if (root.value(QStringLiteral("borderStyle")).toString() == QLatin1String("fixed")) {
        form->setFixedSize(client);
        form->setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                             | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    } else {
        form->resize(client);
    }
    VELLOC_TRY_VOID(builder.controls(root.value(QStringLiteral("controls")).toArray(), form.get()));

    // The form's focus order where it lists one (the controls' tabIndex keys follow it), else
    // the one their tabIndex keys give.
    QStringList focus;
    if (root.contains(QStringLiteral("tabOrder"))) {
        for (const QJsonValue& v : root.value(QStringLiteral("tabOrder")).toArray()) {
            if (!form->control(v.toString()))
                return builder.fail(v.toString(), QStringLiteral("named in the focus order but not on the form"));
            focus << v.toString();
        }
    } else {
        for (const QString& name : builder.focusByIndex())
            if (form->control(name))
                focus << name;
    }
    QWidget* previous = nullptr;
    for (const QString& name : std::as_const(focus)) {
        QWidget* w = form->control(name);
        form->m_tabOrder << name;
        // Controls that take no focus keep their place in the order all the same.
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    if (root.value(QStringLiteral("startUpPosition")).toString() == QLatin1String("centerScreen"))
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), form->size());
            frame.moveCenter(screen->availableGeometry().center());
            form->move(frame.topLeft());
        }
    return form;
}

Error FormLoader::jsonError(const QByteArray& json, const QJsonParseError& error, const QString& what)
{
    const QByteArray before = json.left(error.offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1)).size() + 1;
    return Error(errc::InvalidArgument,
                 QStringLiteral("%1 is not valid JSON: %2 at line %3, column %4").arg(what, error.errorString()).arg(line).arg(column));
}

QString FormLoader::expand(QString text, const Variables& variables)
{
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        text.replace(QStringLiteral("${%1}").arg(it.key()), it.value());
    return text;
}

Result<std::shared_ptr<Object>> FormLoader::createControl(const QJsonObject& o, ControlSite& site, const Variables& variables,
                                                          QWidget* parent)
{
    if (const auto kind = BuiltInControl::kindOf(o.value(QStringLiteral("kind")).toString())) {
        const PropertyBag bag = VELLOC_TRY(BuiltInControl::bagOf(*kind, o, variables));
        std::shared_ptr<BuiltInControl> control = BuiltInControl::create(*kind);
        control->setSite(&site);
        // A built-in control without a size has none, as its entry says.
        control->setExtent(QSize(o.value(QStringLiteral("width")).toInt(), o.value(QStringLiteral("height")).toInt()));
        control->setHost(parent);
        if (Result<void> loaded = control->readProperties(bag); !loaded) {
            control->setSite(nullptr);
            return loaded.releaseError();
        }
        return std::shared_ptr<Object>(std::move(control));
    }
    const QString progId = o.value(QStringLiteral("progId")).toString();
    Result<std::shared_ptr<Object>> object = createObject(progId);
    if (!object)
        return Error(object.error().number(), QStringLiteral("cannot create \"%1\": %2").arg(progId, object.error().message()));
    auto* control = dynamic_cast<Control*>(object->get());
    if (!control)
        return Error(errc::InvalidArgument, QStringLiteral("\"%1\" is not a control").arg(progId));
    control->setSite(&site);
    if (o.contains(QStringLiteral("width")) && o.contains(QStringLiteral("height")))
        control->setExtent(QSize(o.value(QStringLiteral("width")).toInt(), o.value(QStringLiteral("height")).toInt()));
    Result<void> loaded;
    if (o.contains(QStringLiteral("bag"))) {
        QStringList lines;
        for (const QJsonValue& line : o.value(QStringLiteral("bag")).toArray())
            lines << expand(line.toString(), variables);
        Result<PropertyBag> bag = PropertyBag::fromText(lines.join(QLatin1Char('\n')));
        if (!bag) {
            control->setSite(nullptr);
            return Error(errc::InvalidArgument, QStringLiteral("its saved properties do not read: %1").arg(bag.error().message()));
        }
        loaded = control->readProperties(bag.value());
    } else {
        loaded = control->initProperties();
    }
    if (!loaded) {
        control->terminate();
        control->setSite(nullptr);
        return Error(loaded.error().number(), QStringLiteral("the control refused its saved properties: %1").arg(loaded.error().message()));
    }
    return object;
}

Result<std::unique_ptr<Form>> FormLoader::load(const QString& path, const Variables& variables)
{
    return fromJson(VELLOC_TRY(localfile::readRegular(path, QStringLiteral("the window description"))), variables);
}

} // namespace velloc
