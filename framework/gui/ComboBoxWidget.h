#pragma once

#include "framework/gui/StdCtrls.h"

#include <QAbstractItemDelegate>
#include <QAbstractListModel>
#include <QComboBox>
#include <QProxyStyle>

#include <string>
#include <string_view>
#include <vector>

// The item texts behind a TComboBox, its Items. Added items are published to
// the views in one batch when control returns to the event loop, or before
// anything reads the model, so adding a million items costs no per-item
// signals. The texts share one buffer, so a million items cost no million
// strings.
class ItemListModel : public QAbstractListModel, public TStrings {
public:
    explicit ItemListModel(QObject* parent) : QAbstractListModel(parent) {}

    // Appends one item. Strongly exception-safe: if it throws, the model is
    // as it was.
    void Add(const ByteString& text) override;
    Index Count() const noexcept override { return static_cast<Index>(ends_.size()); }
    ByteString Strings(Index i) const override { return ByteString(At(static_cast<int>(i))); }
    void Clear() override;

    std::string_view At(int row) const noexcept;
    // Tells the views of every item added so far.
    void Publish();

    int rowCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::string texts_;
    std::vector<std::size_t> ends_;  // where each item's text ends in texts_
    int published_ = 0;
    bool publishQueued_ = false;
};

// Paints the rows of the drop-down list through TComboBox::OnDrawItem.
class OwnerDrawDelegate : public QAbstractItemDelegate {
public:
    explicit OwnerDrawDelegate(TComboBox& combo) : combo_(combo) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TComboBox& combo_;
};

// Opens the list below the box, as a plain list: the menu-like popup of some
// styles positions the current item over the box and visits every row.
class PopupBelowStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* returnData) const override;
};

// The Qt widget of a TComboBox; owner-draws its closed box too. It makes
// and keeps the item model.
class ComboBoxWidget : public QComboBox {
public:
    // Only keeps `combo`, which may still be under construction.
    explicit ComboBoxWidget(TComboBox& combo);
    ItemListModel& Model() noexcept { return model_; }
    void SetOwnerDraw(bool ownerDraw);
    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TComboBox& combo_;
    ItemListModel& model_;
    bool ownerDraw_ = false;
};
