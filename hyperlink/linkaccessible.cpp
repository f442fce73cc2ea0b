#include "linkaccessible.h"

#include "linkface.h"

#include <QAccessibleWidget>

namespace linkwell {

namespace {

const QString OpenAction = QStringLiteral("open");

class LinkFaceAccessible final : public QAccessibleWidget {
public:
    explicit LinkFaceAccessible(LinkFace* face) : QAccessibleWidget(face, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return face()->caption();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }
    QStringList actionNames() const override { return {OpenAction}; }
    QString localizedActionDescription(const QString& name) const override
    {
        return name == OpenAction ? QStringLiteral("Opens the address the link shows") : QString();
    }
    void doAction(const QString& name) override
    {
        if (name == OpenAction)
            face()->activate();
    }

private:
    LinkFace* face() const { return static_cast<LinkFace*>(widget()); }
};

// LinkFace has no meta-object of its own: it is told by its type, not its class name.
QAccessibleInterface* linkFactory(const QString&, QObject* object)
{
    if (auto* face = dynamic_cast<LinkFace*>(object))
        return new LinkFaceAccessible(face);
    return nullptr;
}

// The factory lives in this library: it goes out of Qt's list before the library is unloaded.
struct Installation {
    bool installed = false;
    ~Installation()
    {
        if (installed)
            QAccessible::removeFactory(linkFactory);
    }
};

} // namespace

void installLinkAccessibility()
{
    static Installation installation;
    if (!std::exchange(installation.installed, true))
        QAccessible::installFactory(linkFactory);
}

} // namespace linkwell
