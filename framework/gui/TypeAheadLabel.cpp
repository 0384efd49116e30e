#include "TypeAheadLabel.h"

#include "framework/core/TextCodec.h"
#include "framework/core/Translate.h"

#include <QGlyphRun>
#include <QLocale>
#include <QRawFont>
#include <QScreen>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string_view>

namespace {

// How far below its line an underline of `text` reaches, in pixels. The
// fonts Hangul falls back on (NanumGothic) put their underline below their
// own descent, and QLabel clips rich text to the height of its lines: the
// label needs that much more room below them, or the underline is cut off.
int UnderlineOverhang(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setNumColumns(static_cast<int>(text.size()));
    layout.endLayout();
    if (!line.isValid())
        return 0;
    qreal below = 0;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        below = std::max(below, raw.underlinePosition() + raw.lineThickness() - line.descent());
    }
    return static_cast<int>(std::ceil(below));
}

}  // namespace

TypeAheadLabel::TypeAheadLabel() : QLabel(nullptr, Qt::ToolTip)
{
    setTextFormat(Qt::RichText);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::Text);
}

namespace {

// A translated message in the display's character set, its placeholders
// filled with UTF-8 `args`.
QString Message(const char* translated, std::initializer_list<std::string_view> args)
{
    return QString::fromStdString(FormatMessage(DecodeForDisplay(translated), args));
}

// What the label shows after the text of a search whose matches are
// counted: the count, digits grouped as the user's locale groups them.
QString CountShown(const TypeAheadLabel::Count& count)
{
    QString number = QLocale().toString(count.matches);
    if (count.complete)
        return number;
    // TRANSLATORS: after the text typed to find a stock, how many stocks match it so far while the rest are still
    // counted. {0}: the number so far.
    return Message(Translate("{0} so far, counting"), {number.toStdString()});
}

// What screen readers read of that count; `text` is what was searched.
QString CountSpoken(const TypeAheadLabel::Count& count, const std::string& text)
{
    const std::string number = QLocale().toString(count.matches).toStdString();
    const auto matches = static_cast<unsigned long>(count.matches);
    if (count.complete)
        // TRANSLATORS: what screen readers read while the open list shows only the stocks that match the typed
        // text. {0}: how many; {1}: the text.
        return Message(TranslatePlural("{0} stock matches \"{1}\"", "{0} stocks match \"{1}\"", matches),
                       {number, text});
    // TRANSLATORS: the same while the matches are still being counted. {0}: how many so far; {1}: the text.
    return Message(TranslatePlural("{0} stock so far matches \"{1}\", still counting",
                                   "{0} stocks so far match \"{1}\", still counting", matches),
                   {number, text});
}

}  // namespace

void TypeAheadLabel::Show(const QString& committed, const QString& composing, const QString& readAs, Found found,
                          const QWidget& beside, std::optional<Count> count)
{
    QString text = committed.toHtmlEscaped();
    if (!composing.isEmpty())
        text += QStringLiteral("<u>%1</u>").arg(composing.toHtmlEscaped());
    if (!readAs.isEmpty())
        text += QStringLiteral(" → %1").arg(readAs.toHtmlEscaped());
    const std::string typed = (committed + composing).toStdString();
    if (found == Found::No) {
        // TRANSLATORS: shown after the text typed to find a stock when no stock matches it; one short word.
        const QString word = QString::fromStdString(DecodeForDisplay(Translate("no match")));
        const QString dim = palette().color(QPalette::PlaceholderText).name();
        text += QStringLiteral("&nbsp;&nbsp;<span style=\"color:%1\">%2</span>").arg(dim, word.toHtmlEscaped());
    } else if (count) {
        text += QStringLiteral(" · %1").arg(CountShown(*count).toHtmlEscaped());
    }
    setText(text);
    // TRANSLATORS: what screen readers read while the user types to find a stock in the list; {0} is the typed text.
    const char* searching = Translate("Searching for \"{0}\"");
    // TRANSLATORS: what screen readers read when the text typed to find a stock matches none; {0} is the typed text.
    const char* noMatch = Translate("No stock matches \"{0}\"");
    // TRANSLATORS: what screen readers read while the user types to find a stock, when the typed text was searched as
    // another: Latin keys read as the Korean keyboard types them. {0} is the typed text, {1} what it was read as.
    const char* searchingAs = Translate("Searching for \"{0}\" as \"{1}\"");
    const char* pattern = found == Found::No ? noMatch : readAs.isEmpty() ? searching : searchingAs;
    if (found == Found::Yes && count)
        setAccessibleName(CountSpoken(*count, readAs.isEmpty() ? typed : readAs.toStdString()));
    else
        setAccessibleName(Message(pattern, {typed, readAs.toStdString()}));
    adjustSize();
    // As much again above, as the text is centred.
    if (!composing.isEmpty())
        resize(width(), height() + 2 * UnderlineOverhang(composing, font()));
    const QRect area = beside.rect().translated(beside.mapToGlobal(QPoint(0, 0)));
    QPoint at(area.right() + 1 - width(), area.bottom() + 1);
    if (const QScreen* screen = beside.screen(); screen != nullptr) {
        const QRect available = screen->availableGeometry();
        if (at.y() + height() > available.bottom() + 1)
            at.setY(area.top() - height());
        at.setX(std::max(at.x(), available.left()));
    }
    move(at);
    show();
}
