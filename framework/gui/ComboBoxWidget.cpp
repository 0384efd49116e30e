#include "ComboBoxWidget.h"

#include "CanvasState.h"
#include "FixedRowListView.h"
#include "QtBridge.h"
#include "framework/core/TextCodec.h"
#include "framework/core/Translate.h"
#include "framework/gui/DispatchEvent.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <QToolTip>

#include <algorithm>
#include <optional>

namespace {

// How long a syllable may take to compose, a key at a time, before its
// composition is ended; longer than the keyboard interval, which people who
// look for each jamo on the keyboard take between keys.
constexpr int SlowSyllableMs = 1000;

// A key that types text into a search: a printable character, with no
// modifier but Shift (which makes capitals) or the keypad's.
bool TypesSearchText(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers other = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return other == Qt::NoModifier && !event.text().isEmpty() && event.text().front().isPrint();
}

}  // namespace

void OwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    TOwnerDrawState state;
    if (selected)
        state.Include(TOwnerDrawStateFlag::odSelected);
    if (option.state.testFlag(QStyle::State_HasFocus))
        state.Include(TOwnerDrawStateFlag::odFocused);
    const CanvasSession session(*combo_.Canvas, *painter, *combo_.Widget(), selected);
    combo_.DrawItem(index.row(), RectOf(option.rect), state);
}

QSize OwnerDrawDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {1, combo_.ItemHeight()};
}

int PopupBelowStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                               QStyleHintReturn* returnData) const
{
    if (hint == QStyle::SH_ComboBox_Popup)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

ComboBoxWidget::ComboBoxWidget(TComboBox& combo)
    : combo_(combo), model_(*new ItemListModel(combo, this)), list_(*new FixedRowListView(this))
{
    setModel(&model_);
    // Sizing to contents would measure every item.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMaxVisibleItems(8);
    // With a placeholder Qt does not select the first item added to an empty list.
    setPlaceholderText(QStringLiteral(" "));
    auto* style = new PopupBelowStyle;
    style->setParent(this);
    setStyle(style);
    // QListView lays out every row when the list opens: 2.0 s at 30M rows.
    setView(&list_);
    // Before the popup's own filter, which would hand typing to Qt's search.
    list_.installEventFilter(this);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) { DescribePick(index); });
    searchEnds_.setSingleShot(true);
    connect(&searchEnds_, &QTimer::timeout, this, [this] { EndSearch(); });
    // Ends a syllable left composing, so that the next search's first key
    // does not commit it into that search.
    compositionEnds_.setSingleShot(true);
    connect(&compositionEnds_, &QTimer::timeout, this, [this] {
        const QObject* focus = QGuiApplication::focusObject();
        if (focus == this || focus == view())
            QGuiApplication::inputMethod()->reset();
    });
}

void ComboBoxWidget::SetRowHeight(int height)
{
    list_.SetRowHeight(height);
}

void ComboBoxWidget::DescribePick(int index)
{
    QString description;
    if (index >= 0)
        DispatchEvent(&combo_, [&] { description = Decoded(combo_.ItemDescription(index)); });
    setAccessibleDescription(description);
}

void ComboBoxWidget::SetTakesInputMethodText(bool takes)
{
    takesInputMethodText_ = takes;
    setAttribute(Qt::WA_InputMethodEnabled, takes);
    view()->setAttribute(Qt::WA_InputMethodEnabled, takes);
}

int ComboBoxWidget::FindItem(const QString& prefix, int startIndex, TFindStep step)
{
    const std::optional<std::string> bytes = EncodeForDisplay(prefix.toStdString());
    if (!bytes || bytes->empty())
        return -1;  // nothing in the display character set can start with it
    return combo_.FindItem(ByteString(*bytes), startIndex, step);
}

bool ComboBoxWidget::Continues(TypedInto where) const
{
    // Also read here: the timer may not have run yet on a busy event loop.
    return search_.IsActive() && searchIn_ == where && lastTyped_.isValid() &&
           lastTyped_.elapsed() <= QApplication::keyboardInputInterval();
}

void ComboBoxWidget::BeginSearch(TypedInto where)
{
    const bool continues = Continues(where);
    lastTyped_.start();
    if (continues)
        return;
    EndSearch();
    searchIn_ = where;
    // The closed box's own starting point is its pick, which the list's
    // FindItem knows; a new code search finds the smallest code wherever it starts.
    search_.Begin(where == TypedInto::OpenList ? view()->currentIndex().row() : 0);
}

void ComboBoxWidget::SearchAgain()
{
    // A find may wait for its index while events are handled: the search
    // must not end in the middle of it.
    searchEnds_.stop();
    model_.Publish();
    DispatchEvent(&combo_, [&] {
        const int found = search_.Find([this](const QString& prefix, int start, TFindStep step) {
            return FindItem(prefix, start, step);
        });
        if (found < 0)
            return;  // no match: the selection stays
        if (searchIn_ == TypedInto::Box) {
            setCurrentIndex(found);
            return;
        }
        const QModelIndex index = model_.index(found, 0);
        view()->setCurrentIndex(index);
        view()->scrollTo(index);
    });
    const bool open = searchIn_ == TypedInto::OpenList;
    searchShown_.Show(search_.Committed(), search_.Composing(), open ? *view()->window() : *this);
    // The pause that ends a search counts from the last key, preedit changes included.
    searchEnds_.start(QApplication::keyboardInputInterval());
}

void ComboBoxWidget::EndSearch()
{
    searchEnds_.stop();
    searchShown_.hide();
    search_.End();
}

bool ComboBoxWidget::TypeKey(const QKeyEvent& key, TypedInto where)
{
    if (!TypesSearchText(key))
        return false;
    // A space opens the list, unless it continues a search ("LG E").
    if (key.text() == QStringLiteral(" ") && !Continues(where))
        return false;
    BeginSearch(where);
    search_.Type(key.text());
    SearchAgain();
    return true;
}

bool ComboBoxWidget::TakeInputMethod(const QInputMethodEvent& event, TypedInto where)
{
    const bool begins = !Continues(where);
    if (begins && event.commitString().isEmpty() && event.preeditString().isEmpty()) {
        EndSearch();
        return false;  // the end of a composition that no search holds
    }
    BeginSearch(where);
    search_.Compose(event.commitString(), event.preeditString());
    if (event.preeditString().isEmpty())
        compositionEnds_.stop();
    else
        compositionEnds_.start(std::max(QApplication::keyboardInputInterval(), SlowSyllableMs));
    if (begins && search_.Text().isEmpty()) {
        EndSearch();  // only the syllable left over from the last search, committed late
        return true;
    }
    SearchAgain();
    return true;
}

bool ComboBoxWidget::EditsSearch(const QKeyEvent& key, TypedInto where) const
{
    return (key.key() == Qt::Key_Escape || key.key() == Qt::Key_Backspace) && key.modifiers() == Qt::NoModifier &&
           Continues(where);
}

bool ComboBoxWidget::EditSearch(const QKeyEvent& key, TypedInto where)
{
    if (!EditsSearch(key, where))
        return false;
    if (key.key() == Qt::Key_Escape) {
        EndSearch();
        return true;
    }
    lastTyped_.start();
    search_.Backspace();
    SearchAgain();
    return true;
}

void ComboBoxWidget::CopyItem(int index)
{
    if (index < 0)
        return;
    DispatchEvent(&combo_, [&] {
        if (const ByteString text = combo_.ItemCopyText(index); !text.IsEmpty())
            QGuiApplication::clipboard()->setText(Decoded(text));
    });
}

bool ComboBoxWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride &&
        EditsSearch(static_cast<const QKeyEvent&>(*event), TypedInto::Box)) {
        event->accept();
        return true;
    }
    if (event->type() != QEvent::ToolTip)
        return QComboBox::event(event);
    QString hint;
    DispatchEvent(&combo_, [&] {
        if (currentIndex() >= 0)
            hint = Decoded(combo_.ItemHint(currentIndex()));
    });
    if (hint.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), hint, this, rect());
    return true;
}

bool ComboBoxWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != view())
        return QComboBox::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.matches(QKeySequence::Copy)) {
            CopyItem(view()->currentIndex().row());
            return true;
        }
        return EditSearch(key, TypedInto::OpenList) || TypeKey(key, TypedInto::OpenList);
    }
    case QEvent::ShortcutOverride:
        // Claimed, so that the popup does not close on the Escape that ends a search.
        if (EditsSearch(static_cast<const QKeyEvent&>(*event), TypedInto::OpenList)) {
            event->accept();
            return true;
        }
        return false;
    case QEvent::InputMethod:
        return TakeInputMethod(static_cast<const QInputMethodEvent&>(*event), TypedInto::OpenList);
    case QEvent::InputMethodQuery: {
        if (!takesInputMethodText_)
            return false;
        // Answered whole: the view's own answer says its input method is off.
        auto& query = static_cast<QInputMethodQueryEvent&>(*event);
        for (int bit = 0; bit < 32; ++bit)
            if (const auto asked = static_cast<Qt::InputMethodQuery>(1u << bit); query.queries().testFlag(asked))
                query.setValue(asked, ViewInputMethodQuery(asked));
        return true;
    }
    case QEvent::FocusOut:
    case QEvent::Hide:
        if (searchIn_ == TypedInto::OpenList)
            EndSearch();
        return false;
    default:
        return false;
    }
}

void ComboBoxWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyItem(currentIndex());
        event->accept();
        return;
    }
    if (EditSearch(*event, TypedInto::Box) || TypeKey(*event, TypedInto::Box)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void ComboBoxWidget::inputMethodEvent(QInputMethodEvent* event)
{
    TakeInputMethod(*event, TypedInto::Box);
    event->accept();
}

void ComboBoxWidget::focusOutEvent(QFocusEvent* event)
{
    if (searchIn_ == TypedInto::Box)
        EndSearch();
    QComboBox::focusOutEvent(event);
}

QVariant ComboBoxWidget::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return testAttribute(Qt::WA_InputMethodEnabled);
    case Qt::ImCursorRectangle:
        return rect();
    default:
        return QComboBox::inputMethodQuery(query);
    }
}

QVariant ComboBoxWidget::ViewInputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return view()->visualRect(view()->currentIndex());
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhNoPredictiveText);
    default:
        return view()->inputMethodQuery(query);
    }
}

void ComboBoxWidget::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    // TRANSLATORS: the drop-down list's context menu item that copies the chosen stock's code and name.
    QAction* copy = menu.addAction(Decoded(Translate("Copy")));
    copy->setShortcut(QKeySequence::Copy);
    const int index = currentIndex();
    copy->setEnabled(index >= 0);
    connect(copy, &QAction::triggered, this, [this, index] { CopyItem(index); });
    menu.exec(event->globalPos());
    event->accept();
}

void ComboBoxWidget::SetOwnerDraw(bool ownerDraw)
{
    if (ownerDraw && !ownerDraw_) {
        auto* delegate = new OwnerDrawDelegate(combo_);
        delegate->setParent(this);  // views do not own their delegates
        setItemDelegate(delegate);
    }
    ownerDraw_ = ownerDraw;
    update();
}

void ComboBoxWidget::showPopup()
{
    EndSearch();
    model_.Publish();
    QComboBox::showPopup();
    // Qt's popup turns the view's input method off; its events then reach
    // no row under ibus.
    view()->setAttribute(Qt::WA_InputMethodEnabled, takesInputMethodText_);
}

void ComboBoxWidget::ShowProgress(int percent, const QString& text)
{
    percent = std::clamp(percent, 0, 100);
    if (progress_ && progress_->percent == percent && progress_->text == text)
        return;
    progress_ = Progress{percent, text};
    // Told to screen readers as a change of the box's name.
    setAccessibleName(text);
    update();
}

void ComboBoxWidget::HideProgress()
{
    if (!progress_)
        return;
    progress_.reset();
    setAccessibleName(QString());
    update();
}

void ComboBoxWidget::PaintProgress(QStylePainter& painter, const QRect& field) const
{
    QStyleOptionProgressBar bar;
    bar.initFrom(this);
    bar.rect = field;
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = progress_->percent;
    bar.text = progress_->text;
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.state |= QStyle::State_Horizontal;
    painter.drawControl(QStyle::CE_ProgressBar, bar);
}

void ComboBoxWidget::paintEvent(QPaintEvent* event)
{
    if (!ownerDraw_ && !progress_) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (progress_) {
        PaintProgress(painter, field);
        return;
    }
    if (currentIndex() < 0)
        return;
    const bool focused = hasFocus() && !view()->isVisible();
    TOwnerDrawState state{TOwnerDrawStateFlag::odComboBoxEdit};
    if (focused) {
        state.Include(TOwnerDrawStateFlag::odSelected);
        state.Include(TOwnerDrawStateFlag::odFocused);
    }
    const CanvasSession session(*combo_.Canvas, painter, *this, focused);
    combo_.DrawItem(currentIndex(), RectOf(field), state);
}
