#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTextDocument>

// Every caption of a window (labels, buttons, option buttons, check boxes, frame titles) set
// against the room its control gives it: the style's contents rectangle. Returns one line per
// caption that does not fit, naming the control, its text and both widths.
namespace captionfit {

inline QString shown(QString text)
{
    // A mnemonic marker is not drawn ("&&" draws one ampersand).
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

inline QString describe(const QWidget* w, const QString& text, int need, int room)
{
    return QStringLiteral("%1 %2 \"%3\": needs %4 px, has %5")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text)
        .arg(need)
        .arg(room);
}

inline QRect buttonContents(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat())
            option.features |= QStyleOptionButton::Flat;
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    if (qobject_cast<const QRadioButton*>(button))
        return button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
    if (qobject_cast<const QCheckBox*>(button))
        return button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
    return button->contentsRect();
}

inline QStringList cut(QWidget* window)
{
    QStringList out;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        // A control lying outside the window (one that only takes the focus) shows nothing.
        if (!w->isVisibleTo(window) || !window->rect().intersects(QRect(w->mapTo(window, QPoint()), w->size())))
            continue;
        const QFontMetrics metrics(w->font());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty())
                continue;
            const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
            QString text = label->text();
            const bool rich = label->textFormat() == Qt::RichText
                || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
            if (rich) {
                QTextDocument doc;
                doc.setDefaultFont(label->font());
                doc.setHtml(text);
                doc.setDocumentMargin(0);
                text = doc.toPlainText();
            }
            if (label->wordWrap()) {
                const QRect needed = metrics.boundingRect(room, int(label->alignment()) | Qt::TextWordWrap, text);
                if (needed.height() > room.height() || needed.width() > room.width())
                    out << describe(w, text, needed.height(), room.height()) + QStringLiteral(" (height, wrapped)");
                continue;
            }
            const QString shownText = label->buddy() ? shown(text) : text;
            for (const QString& line : shownText.split(QLatin1Char('\n'))) {
                const int need = metrics.horizontalAdvance(line);
                if (need > room.width())
                    out << describe(w, line, need, room.width());
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty())
                continue;
            const QString text = shown(button->text());
            const int need = metrics.horizontalAdvance(text)
                + (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
            const int room = buttonContents(button).width();
            if (need > room)
                out << describe(w, text, need, room);
        } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
            if (frame->title().isEmpty())
                continue;
            const QString text = shown(frame->title());
            const int need = QFontMetrics(frame->font()).horizontalAdvance(text);
            if (need > frame->contentsRect().width())
                out << describe(w, text, need, frame->contentsRect().width());
        }
    }
    return out;
}

} // namespace captionfit
