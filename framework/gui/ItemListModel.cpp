#include "ItemListModel.h"

#include "QtBridge.h"
#include "ShownText.h"
#include "framework/core/Exception.h"
#include "framework/core/Translate.h"
#include "framework/gui/DispatchEvent.h"

#include <string>
#include <utility>

void ItemListModel::CheckRoomFor(Index count) const
{
    if (count > MaxCount - items_.Count())
        // TRANSLATORS: items that would make a drop-down list longer than it can number. {0}: how many were
        // to be added; {1}: how many the list has; {2}: the most it can hold.
        throw Exception(Tr("cannot add {0} items to a list of {1}: a list holds at most {2}", std::to_string(count),
                           std::to_string(items_.Count()), std::to_string(MaxCount)));
}

// One batch for all that is added before control returns to the event loop.
// A million items added one by one: 97 ms batched, 2480 ms with the views
// told of each at once; taken by AddStrings into a list that has items, 74
// and 2323 ms. Medians of 5 pairs, each way in turn, 2 cores, 2026-12-10:
// item_list_bench 1000000 1.
void ItemListModel::QueuePublish()
{
    if (publishQueued_)
        return;
    QMetaObject::invokeMethod(
        this, [this] { Publish(); }, Qt::QueuedConnection);
    publishQueued_ = true;  // only once the call is surely queued
}

void ItemListModel::Add(const ByteString& text)
{
    // Strong guarantee: queueing the batch is the only step that can throw
    // before the list's own strongly safe Add, and a queued batch with
    // nothing new in it publishes nothing.
    CheckRoomFor(1);
    QueuePublish();
    items_.Add(text);
}

void ItemListModel::AddStrings(TStringList&& items)
{
    if (items.Count() == 0)
        return;
    CheckRoomFor(items.Count());
    QueuePublish();
    if (items_.Count() == 0) {
        items_ = std::move(items);
    } else {
        for (Index i = 0; i < items.Count(); ++i)
            items_.Add(ByteString(items.Line(i)));
    }
    items = TStringList();
}

void ItemListModel::Publish()
{
    publishQueued_ = false;
    const auto count = static_cast<int>(items_.Count());
    if (published_ == count)
        return;
    beginInsertRows(QModelIndex(), published_, count - 1);
    published_ = count;
    endInsertRows();
}

void ItemListModel::Clear()
{
    beginResetModel();
    items_ = TStringList();  // frees the storage, where Clear would keep it
    published_ = 0;
    endResetModel();
}

int ItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : published_;
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= published_)
        return {};
    QVariant value;
    DispatchEvent(&combo_, [&] {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            value = Shown(combo_.ItemText(index.row()));
            break;
        case Qt::ToolTipRole:
            if (const ByteString hint = combo_.ItemHint(index.row()); !hint.IsEmpty())
                value = Shown(hint);
            break;
        case Qt::AccessibleDescriptionRole:
            if (const ByteString description = combo_.ItemDescription(index.row()); !description.IsEmpty())
                value = Shown(description);
            break;
        default:
            break;
        }
    });
    return value;
}
