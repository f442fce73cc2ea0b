#pragma once

#include "velloc/core/module.h"
#include "velloc/hosting/control.h"
#include "velloc/hosting/services.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QWidget>

#include <memory>
#include <span>

namespace velloc {

// A widget that hosts one component by programmatic identifier: it creates the object, sites
// it (site, event sink and ambient properties inside, lifetimes owned), places the control's
// face inside itself and reports what the control does as Qt signals. The generated typed
// proxies (compreg proxy) derive from it; it can also be used late-bound on its own.
//
// A failed creation leaves a host without an object (isNull()); every call then fails with
// the creation's error. Each late-bound call records its outcome: lastError() is the error of
// the last call (number 0 after a success), and a failure is also signalled by error().
class VELLOC_EXPORT ControlHost : public QWidget {
    Q_OBJECT
    // The control's saved form, its property bag as text. A form file keeps a control's state in
    // it where a value has no typed form there (a picture a property page chose, with no file
    // behind it); setting it has the control read the whole bag.
    Q_PROPERTY(QString savedState READ savedState WRITE setSavedState)
public:
    // `hostAbi` is taken where the host is compiled: a program built against other headers
    // than the runtime it runs with gets an error instead of undefined behaviour.
    explicit ControlHost(const QString& progId, QWidget* parent = nullptr, std::uint32_t hostAbi = ModuleAbi);
    ~ControlHost() override;

    bool isNull() const { return !m_object; }
    QString progId() const { return m_progId; }
    Object* object() const { return m_object.get(); }
    // The object as a control; null when the class is not one (it then has no face).
    Control* control() const { return m_control; }

    // The error of the last call on the object, or of its creation; number 0 when it succeeded.
    const Error& lastError() const { return m_lastError; }

    // Ambient properties the control reads from its host. UserMode true is a running program;
    // a form designer sets it false, and the control shows its design-time face.
    bool userMode() const { return m_userMode; }
    void setUserMode(bool userMode);
    void setAmbientFont(const QFont& font);

    // Late-bound access by DISPID, recording the outcome as described above.
    Variant getProperty(DispId id);
    bool putProperty(DispId id, const Variant& value);
    bool putPropertyRef(DispId id, const Variant& value);
    // By-reference parameters are written back into `args`.
    Variant invokeMethod(DispId id, std::span<Variant> args = {});
    // By name (case-insensitive), for hosts that write no proxy.
    Variant getProperty(const QString& name);
    bool putProperty(const QString& name, const Variant& value);
    Variant invokeMethod(const QString& name, std::span<Variant> args = {});

    QString savedState();
    void setSavedState(const QString& text);

    // The control's extent, in pixels of this screen.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Conversions between automation values and the Qt types the proxies use.
    static Variant fromColor(const QColor& color);
    static QColor toColor(const Variant& value);
    static Variant fromFont(const QFont& font);
    static QFont toFont(const Variant& value);
    static Variant fromPixmap(const QPixmap& pixmap);
    static QPixmap toPixmap(const Variant& value);
    // Numbers, text and booleans as themselves, pictures as QPixmap, fonts as QFont.
    static Variant fromQVariant(const QVariant& value);
    static QVariant toQVariant(const Variant& value);

signals:
    // A call failed: the automation error number and its message. A refusal the control shows
    // in a critical message box ("Cannot Locate File") comes here too, with number 0: the call
    // itself ran, and the control said no.
    void error(int number, const QString& message);
    // A message box the control raised while one of this host's calls ran, with the answer it
    // got (from the person, the installed responder or, with no one there, the unattended one).
    void messageShown(const QString& text, const QString& title, int answer);
    // A property changed, by its member name in the type library ("KEY", "Hyperlink").
    void propertyChanged(const QString& name);
    // An event, by its name in the type library; `args` are the raiser's own variables.
    void eventRaised(const QString& name, std::span<velloc::Variant> args);

protected:
    // The generated proxies turn these into typed signals.
    virtual void onPropertyChanged(DispId id);
    virtual void onEvent(DispId id, std::span<Variant> args);

    // Keeps a result's value, or records its error and returns `fallback`.
    template <typename T>
    T take(Result<T> result, T fallback = T())
    {
        if (!result) {
            fail(result.releaseError());
            return fallback;
        }
        succeed();
        return std::move(result).value();
    }
    void fail(Error error);
    void succeed() { m_lastError = Error(0); }

    void resizeEvent(QResizeEvent* event) override;

private:
    class Sink;
    class Site;

    void notifyChanged(const QString& persistedName);
    // The control, or null with the reason recorded.
    Control* controlOrFail();

    Result<Variant> call(DispId id, InvokeKind kind, std::span<Variant> args);
    bool put(DispId id, InvokeKind kind, const Variant& value);
    std::optional<DispId> idOf(const QString& name);

    QString m_progId;
    std::shared_ptr<Object> m_object;
    Control* m_control = nullptr;
    std::unique_ptr<Sink> m_sink;
    std::unique_ptr<Site> m_site;
    int m_cookie = 0;
    int m_observer = 0;
    int m_callDepth = 0;
    bool m_userMode = true;
    std::shared_ptr<Font> m_ambientFont;
    Error m_lastError {0};
};

} // namespace velloc
