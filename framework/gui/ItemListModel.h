#pragma once

#include "framework/core/TStringList.h"
#include "framework/gui/StdCtrls.h"

#include <QAbstractListModel>

#include <string_view>

// The item texts behind a TComboBox, its Items. Added items are published to
// the views in one batch when control returns to the event loop, or before
// anything reads the model, so adding a million items costs no per-item
// signals. The texts are a TStringList, so a million items cost no million
// strings, a million equal placeholders one text, and a list made elsewhere
// is taken over whole. What views and
// screen readers show of an item is the control's ItemText, not the item's
// own text.
class ItemListModel : public QAbstractListModel, public TStrings {
public:
    ItemListModel(TComboBox& combo, QObject* parent) : QAbstractListModel(parent), combo_(combo) {}

    // Appends one item. Strongly exception-safe: if it throws, the model is
    // as it was.
    void Add(const ByteString& text) override;
    void AddStrings(TStringList&& items) override;
    Index Count() const noexcept override { return items_.Count(); }
    ByteString Strings(Index i) const override { return items_.Strings(i); }
    void Clear() override;

    std::string_view At(int row) const noexcept { return items_.Line(row); }
    // Tells the views of every item added so far.
    void Publish();

    int rowCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    // Throws Exception when `count` more items would be more than MaxCount.
    void CheckRoomFor(Index count) const;
    // Queues one Publish for everything added until it runs.
    void QueuePublish();

    TComboBox& combo_;
    TStringList items_;
    int published_ = 0;
    bool publishQueued_ = false;
};
