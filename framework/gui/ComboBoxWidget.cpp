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
#include <QInputMethodEvent>
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
    setAttribute(Qt::WA_InputMethodEnabled, takes);
    view()->setAttribute(Qt::WA_InputMethodEnabled, takes);
}

int ComboBoxWidget::TypeAhead(const QString& typed, int current)
{
    if (!lastTyped_.isValid() || lastTyped_.elapsed() > QApplication::keyboardInputInterval())
        search_.clear();
    lastTyped_.start();
    search_ += typed;
    // "sss" steps through the items that start with "s", as Qt's views do.
    const bool sameLetter = search_.size() > 1 && search_.count(search_.front()) == search_.size();
    const QString wanted = sameLetter ? search_.left(1) : search_;
    const std::optional<std::string> bytes = EncodeForDisplay(wanted.toStdString());
    if (!bytes || bytes->empty())
        return -1;  // nothing in the display character set can start with it
    const ByteString prefix(*bytes);
    const int start = sameLetter ? current + 1 : 0;
    const int found = combo_.FindItem(prefix, start);
    if (found < 0 && start > 0)
        return combo_.FindItem(prefix, 0);
    return found;
}

bool ComboBoxWidget::SearchFrom(const QString& typed, TypedInto where)
{
    // A space opens the list, unless it continues a search ("LG E").
    const bool continues = lastTyped_.isValid() && lastTyped_.elapsed() <= QApplication::keyboardInputInterval();
    if (typed == QStringLiteral(" ") && !continues)
        return false;
    model_.Publish();
    DispatchEvent(&combo_, [&] {
        const int current = where == TypedInto::OpenList ? view()->currentIndex().row() : currentIndex();
        const int found = TypeAhead(typed, current);
        if (found < 0)
            return;  // no match: the selection stays
        if (where == TypedInto::Box) {
            setCurrentIndex(found);
            return;
        }
        const QModelIndex index = model_.index(found, 0);
        view()->setCurrentIndex(index);
        view()->scrollTo(index);
    });
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
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.matches(QKeySequence::Copy)) {
            CopyItem(view()->currentIndex().row());
            return true;
        }
        if (TypesSearchText(key))
            return SearchFrom(key.text(), TypedInto::OpenList);
    }
    if (event->type() == QEvent::InputMethod) {
        const auto& input = static_cast<const QInputMethodEvent&>(*event);
        if (!input.commitString().isEmpty())
            return SearchFrom(input.commitString(), TypedInto::OpenList);
    }
    return false;
}

void ComboBoxWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyItem(currentIndex());
        event->accept();
        return;
    }
    if (TypesSearchText(*event) && SearchFrom(event->text(), TypedInto::Box)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void ComboBoxWidget::inputMethodEvent(QInputMethodEvent* event)
{
    // Only committed text searches: a syllable still being composed is not
    // yet what the user means.
    if (!event->commitString().isEmpty())
        SearchFrom(event->commitString(), TypedInto::Box);
    event->accept();
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
    model_.Publish();
    QComboBox::showPopup();
}

void ComboBoxWidget::ShowProgress(double fraction, const QString& text)
{
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100);
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
