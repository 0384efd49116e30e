#include "ComboBoxWidget.h"

#include "CanvasState.h"
#include "DropDownList.h"
#include "FixedRowListView.h"
#include "OwnerDrawDelegate.h"
#include "QtBridge.h"
#include "ShownText.h"
#include "framework/core/TextCodec.h"
#include "framework/core/Translate.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <new>
#include <optional>

namespace {

// Rows the open list shows at most.
constexpr int ListRows = 8;

}  // namespace

ComboBoxWidget::ComboBoxWidget(TComboBox& combo)
    : combo_(combo), model_(*new ItemListModel(combo, this)), rows_(*new OpenListRows(model_, combo, this)),
      list_(*new FixedRowListView(this)),
      // Made after setView's container, so that the list is destroyed after it.
      dropDown_(*[this] {
          setModel(&model_);
          // QListView lays out every row when the list opens: 2.0 s at 30M rows.
          setView(&list_);
          // The box's pick is an item; the list's rows may be a search's matches.
          list_.setModel(&rows_);
          return new DropDownList(*this, list_);
      }())
{
    // Sizing to contents would measure every item.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMaxVisibleItems(ListRows);
    // With a placeholder Qt does not select the first item added to an empty list.
    setPlaceholderText(QStringLiteral(" "));
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) { DescribePick(index); });
    dropDown_.onPicked = [this](int row) { Pick(rows_.ItemAt(row)); };
    rows_.onCounted = [this] { typing_.ShowCount(); };
    dropDown_.onClosed = [this] {
        typing_.EndIn(TypedInto::OpenList);
        update();  // the box's arrow and focus frame
    };
}

void ComboBoxWidget::SetRowHeight(int height)
{
    list_.SetRowHeight(height);
}

void ComboBoxWidget::DescribePick(int index)
{
    QString description;
    if (index >= 0)
        DispatchEvent(&combo_, [&] { description = Shown(combo_.ItemDescription(index)); });
    setAccessibleDescription(description);
}

void ComboBoxWidget::SetTakesInputMethodText(bool takes)
{
    setAttribute(Qt::WA_InputMethodEnabled, takes);
}

FoundItem ComboBoxWidget::FindItem(const TypedText& typed, int startIndex, TFindStep step)
{
    return combo_.FindItem(typed, startIndex, step);
}

bool ComboBoxWidget::PopupShown() const
{
    return dropDown_.isVisible();
}

TypedInto ComboBoxWidget::TypingInto() const
{
    return PopupShown() ? TypedInto::OpenList : TypedInto::Box;
}

int ComboBoxWidget::TypingRow(TypedInto where) const
{
    return where == TypedInto::OpenList ? rows_.ItemAt(list_.currentIndex().row()) : currentIndex();
}

void ComboBoxWidget::MoveTypingRow(TypedInto where, int row)
{
    if (where == TypedInto::Box) {
        setCurrentIndex(row);
        return;
    }
    // Rows are items while the list shows every item, as it does then.
    const QModelIndex index = rows_.Narrowed() ? QModelIndex() : rows_.index(row, 0);
    list_.setCurrentIndex(index);
    if (index.isValid())
        list_.scrollTo(index);
}

bool ComboBoxWidget::NarrowsList() const
{
    return static_cast<bool>(combo_.OnMatchItems);
}

void ComboBoxWidget::NarrowList(const TypedText& typed)
{
    rows_.Narrow(combo_.MatchItems(typed), maxVisibleItems());
    dropDown_.Fit(maxVisibleItems(), combo_.ItemHeight());
    const QModelIndex first = rows_.index(0, 0);
    list_.setCurrentIndex(first);
    if (first.isValid())
        list_.scrollTo(first, QAbstractItemView::PositionAtTop);
}

void ComboBoxWidget::WidenList()
{
    if (!rows_.Narrowed())
        return;
    const int highlighted = TypingRow(TypedInto::OpenList);
    rows_.Widen();
    if (PopupShown())
        dropDown_.Fit(maxVisibleItems(), combo_.ItemHeight());
    const QModelIndex index = rows_.index(std::max(highlighted, 0), 0);
    list_.selectionModel()->setCurrentIndex(index, highlighted >= 0 ? QItemSelectionModel::ClearAndSelect
                                                                    : QItemSelectionModel::NoUpdate);
    if (index.isValid())
        list_.scrollTo(index, QAbstractItemView::PositionAtCenter);
}

const TItemMatches* ComboBoxWidget::ListMatches() const
{
    return rows_.Matches();
}

const QWidget& ComboBoxWidget::TypingShownBeside(TypedInto where) const
{
    return where == TypedInto::OpenList ? static_cast<const QWidget&>(dropDown_) : *this;
}

void ComboBoxWidget::Pick(int row)
{
    hidePopup();
    if (row >= 0 && row != currentIndex()) {
        setCurrentIndex(row);
        emit activated(row);
    }
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
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (!ClaimsShortcut(static_cast<const QKeyEvent&>(*event)))
            break;
        event->accept();
        return true;
    case QEvent::ToolTip:
        ShowHint(static_cast<QHelpEvent&>(*event));
        return true;
    default:
        break;
    }
    return QComboBox::event(event);
}

bool ComboBoxWidget::ClaimsShortcut(const QKeyEvent& key) const
{
    // So that no shortcut takes the Escape that ends a search or closes the list.
    return typing_.EditsSearch(key, TypingInto()) || (PopupShown() && key.key() == Qt::Key_Escape);
}

void ComboBoxWidget::ShowHint(QHelpEvent& help)
{
    QString hint;
    DispatchEvent(&combo_, [&] {
        if (currentIndex() >= 0)
            hint = Shown(combo_.ItemHint(currentIndex()));
    });
    if (hint.isEmpty()) {
        QToolTip::hideText();
        help.ignore();  // the window's own tooltip, if any
        return;
    }
    QToolTip::showText(help.globalPos(), hint, this, rect());
}

bool ComboBoxWidget::OpenListKey(QKeyEvent& key)
{
    const bool alt = key.modifiers().testFlag(Qt::AltModifier);
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Pick(TypingRow(TypedInto::OpenList));
        return true;
    case Qt::Key_Escape:
    case Qt::Key_F4:
        hidePopup();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (alt) {
            hidePopup();
            return true;
        }
        [[fallthrough]];
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        QApplication::sendEvent(&list_, &key);
        return true;
    default:
        // Nothing else reaches the box behind an open list, Tab included.
        return true;
    }
}

void ComboBoxWidget::keyPressEvent(QKeyEvent* event)
{
    if (KeepsInput()) {
        keptInput_.Keep(*event);
        event->accept();
        return;
    }
    const TypedInto where = TypingInto();
    if (event->matches(QKeySequence::Copy)) {
        CopyItem(TypingRow(where));
        event->accept();
        return;
    }
    if (typing_.TakeKey(*event, where) || (where == TypedInto::OpenList && OpenListKey(*event))) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void ComboBoxWidget::inputMethodEvent(QInputMethodEvent* event)
{
    if (KeepsInput()) {
        keptInput_.Keep(*event);
        event->accept();
        return;
    }
    typing_.TakeInputMethod(*event, TypingInto());
    event->accept();
}

void ComboBoxWidget::focusOutEvent(QFocusEvent* event)
{
    hidePopup();
    typing_.End();
    QComboBox::focusOutEvent(event);
}

QVariant ComboBoxWidget::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return testAttribute(Qt::WA_InputMethodEnabled);
    case Qt::ImCursorRectangle:
        // The candidate window sits by the row the keys move.
        if (PopupShown()) {
            const QRect row = list_.visualRect(list_.currentIndex());
            return QRect(mapFromGlobal(list_.viewport()->mapToGlobal(row.topLeft())), row.size());
        }
        return rect();
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhNoPredictiveText);
    default:
        return QComboBox::inputMethodQuery(query);
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
        auto* delegate = new OwnerDrawDelegate(combo_, rows_);
        delegate->setParent(this);  // views do not own their delegates
        setItemDelegate(delegate);
    }
    ownerDraw_ = ownerDraw;
    update();
}

void ComboBoxWidget::showPopup()
{
    model_.Publish();
    if (PopupShown()) {
        typing_.End();
        return;
    }
    // With nothing picked the keys start from the first row, unhighlighted,
    // as they would in a focused list.
    const QModelIndex current = rows_.index(std::max(currentIndex(), 0), 0);
    list_.selectionModel()->setCurrentIndex(current, currentIndex() >= 0 ? QItemSelectionModel::ClearAndSelect
                                                                         : QItemSelectionModel::NoUpdate);
    dropDown_.Open(maxVisibleItems(), combo_.ItemHeight());
    if (current.isValid())
        list_.scrollTo(current, QAbstractItemView::PositionAtTop);
    // Opened while a search in the box lasts, the list shows its matches.
    typing_.ListOpened();
    update();
}

void ComboBoxWidget::hidePopup()
{
    dropDown_.Close();
}

void ComboBoxWidget::ShowProgress(int percent, const QString& text)
{
    percent = std::clamp(percent, 0, 100);
    if (progress_ && progress_->percent == percent && progress_->text == text)
        return;
    progress_ = BoxProgress{percent, text};
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
    AnswerKeptInputSoon();
}

void ComboBoxWidget::HoldTyping(bool held)
{
    typingHeld_ = held;
    if (!held)
        AnswerKeptInputSoon();
}

bool ComboBoxWidget::KeepsInput() const noexcept
{
    return progress_ || typingHeld_;
}

void ComboBoxWidget::AnswerKeptInputSoon()
{
    // After the handler that releases them has made the list ready.
    if (KeepsInput() || keptInput_.Empty())
        return;
    try {
        QTimer::singleShot(0, this, [this] { AnswerKeptInput(); });
    } catch (const std::bad_alloc&) {
        (void)keptInput_.Take();  // no memory to answer them: they go, as a failed key would
    }
}

void ComboBoxWidget::AnswerKeptInput()
{
    if (KeepsInput())
        return;  // held again, or the list is being filled again: they wait for it
    for (KeptInput::Kept& kept : keptInput_.Take()) {
        // As the keys came, a pause between them ends a search.
        if (kept.pauseMs > QApplication::keyboardInputInterval())
            typing_.End();
        if (kept.event->type() == QEvent::KeyPress)
            keyPressEvent(static_cast<QKeyEvent*>(kept.event.get()));
        else
            inputMethodEvent(static_cast<QInputMethodEvent*>(kept.event.get()));
    }
    if (!hasFocus())
        typing_.End();  // the focus left after them, which ends a search
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
    if (PopupShown())
        option.state |= QStyle::State_On;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (progress_) {
        PaintProgress(painter, *this, field, *progress_);
        return;
    }
    if (currentIndex() < 0)
        return;
    const bool focused = hasFocus() && !PopupShown();
    TOwnerDrawState state{TOwnerDrawStateFlag::odComboBoxEdit};
    if (focused) {
        state.Include(TOwnerDrawStateFlag::odSelected);
        state.Include(TOwnerDrawStateFlag::odFocused);
    }
    const CanvasSession session(*combo_.Canvas, painter, *this, focused);
    combo_.DrawItem(currentIndex(), RectOf(field), state);
}
