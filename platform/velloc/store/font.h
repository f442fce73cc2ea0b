#pragma once

#include "velloc/core/object.h"

#include <QFont>

#include <functional>

namespace velloc {

// The platform's standard font object. Holders share it by reference: a change made through
// one holder is seen by all, and listeners (the widgets drawing with it) are told at once.
class VELLOC_EXPORT Font final : public Object {
public:
    struct Description {
        QString name = QStringLiteral("MS Sans Serif");
        double size = 8.25; // points, kept to four decimals
        int weight = 400;
        bool italic = false;
        bool underline = false;
        bool strikethrough = false;
        int charset = 0;

        bool operator==(const Description&) const = default;
    };

    static std::shared_ptr<Font> create();
    static std::shared_ptr<Font> create(Description d);

    QString className() const override { return QStringLiteral("Font"); }
    const DispatchTable& dispatch() const override;
    bool sameValue(const Object* other) const override;

    const Description& description() const { return m_d; }
    void setDescription(const Description& d);

    QString name() const { return m_d.name; }
    double size() const { return m_d.size; }
    int weight() const { return m_d.weight; }
    bool bold() const { return m_d.weight >= 600; }
    bool italic() const { return m_d.italic; }
    bool underline() const { return m_d.underline; }
    bool strikethrough() const { return m_d.strikethrough; }

    // The Qt font to draw with. Names the platform's fonts lack fall back to a similar family.
    QFont toQFont() const;

    int addListener(std::function<void()> listener);
    void removeListener(int id);

private:
    void changed();

    Description m_d;
    QList<std::pair<int, std::function<void()>>> m_listeners;
    int m_nextListener = 1;
};

} // namespace velloc
