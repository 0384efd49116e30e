#include "ComboBoxWidget.h"

#include "CanvasState.h"
#include "QtBridge.h"
#include "framework/gui/TextCodec.h"

#include <QListView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>

void ItemListModel::Add(const ByteString& text)
{
    // Strong guarantee: everything that can throw comes before the first
    // change a reader could see, so a failed Add leaves no stray bytes to
    // prefix the next item and no item the views will not be told of.
    if (ends_.size() == ends_.capacity())
        ends_.reserve(std::max<std::size_t>(16, ends_.capacity() * 2));
    if (!publishQueued_) {
        QMetaObject::invokeMethod(this, [this] { Publish(); }, Qt::QueuedConnection);
        publishQueued_ = true;  // only once the call is surely queued
    }
    texts_.append(text.View());       // strong by itself
    ends_.push_back(texts_.size());  // within capacity: cannot throw
}

void ItemListModel::Publish()
{
    publishQueued_ = false;
    const auto count = static_cast<int>(ends_.size());
    if (published_ == count)
        return;
    beginInsertRows(QModelIndex(), published_, count - 1);
    published_ = count;
    endInsertRows();
}

void ItemListModel::Clear()
{
    beginResetModel();
    std::string().swap(texts_);
    std::vector<std::size_t>().swap(ends_);
    published_ = 0;
    endResetModel();
}

std::string_view ItemListModel::At(int row) const noexcept
{
    const auto i = static_cast<std::size_t>(row);
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(texts_).substr(begin, ends_[i] - begin);
}

int ItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : published_;
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= published_ || role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(DecodeForDisplay(At(index.row())));
}

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

ComboBoxWidget::ComboBoxWidget(TComboBox& combo) : combo_(combo), model_(*new ItemListModel(this))
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
    auto* list = new QListView(this);
    list->setUniformItemSizes(true);
    setView(list);
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

void ComboBoxWidget::paintEvent(QPaintEvent* event)
{
    if (!ownerDraw_) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const bool focused = hasFocus() && !view()->isVisible();
    TOwnerDrawState state{TOwnerDrawStateFlag::odComboBoxEdit};
    if (focused) {
        state.Include(TOwnerDrawStateFlag::odSelected);
        state.Include(TOwnerDrawStateFlag::odFocused);
    }
    const CanvasSession session(*combo_.Canvas, painter, *this, focused);
    combo_.DrawItem(currentIndex(), RectOf(field), state);
}
