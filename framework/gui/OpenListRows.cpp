#include "OpenListRows.h"

#include "ItemListModel.h"
#include "framework/gui/DispatchEvent.h"

#include <QElapsedTimer>

#include <utility>

namespace {

// How long the event loop waits at most for a step of counting.
constexpr int StepMs = 10;

}  // namespace

OpenListRows::OpenListRows(ItemListModel& items, TComboBox& combo, QObject* parent)
    : QAbstractListModel(parent), items_(items), combo_(combo)
{
    // Showing every item, the rows are the items', as they change.
    connect(&items_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this](const QModelIndex&, int first, int last) {
        if (!Narrowed())
            beginInsertRows(QModelIndex(), first, last);
    });
    connect(&items_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!Narrowed())
            endInsertRows();
    });
    // Matches read the items' search, which goes with them.
    connect(&items_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        beginResetModel();
        counting_.stop();
        matches_.reset();
        shown_ = 0;
    });
    connect(&items_, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
    // One step of counting each time the event loop comes round.
    counting_.setInterval(0);
    connect(&counting_, &QTimer::timeout, this, [this] { CountMore(); });
}

void OpenListRows::Narrow(std::unique_ptr<TItemMatches> matches, int rows)
{
    beginResetModel();
    counting_.stop();
    matches_ = std::move(matches);
    if (matches_ != nullptr && rows > 0)
        matches_->Item(rows - 1);
    shown_ = matches_ != nullptr ? matches_->Count() : 0;
    endResetModel();
    if (matches_ != nullptr && !matches_->Counted()) {
        // The first screenful is painted before counting takes its first step.
        paintFirst_ = true;
        counting_.start();
    }
}

void OpenListRows::Widen()
{
    if (!Narrowed())
        return;
    beginResetModel();
    counting_.stop();
    matches_.reset();
    shown_ = 0;
    endResetModel();
}

void OpenListRows::CountMore()
{
    if (matches_ == nullptr || matches_->Counted()) {
        counting_.stop();
        return;
    }
    if (std::exchange(paintFirst_, false))
        return;
    bool failed = true;
    DispatchEvent(&combo_, [&] {
        // Steps for a few milliseconds at a time: showing each step's rows
        // and count costs as much as the step.
        QElapsedTimer spent;
        spent.start();
        do
            matches_->CountMore();
        while (!matches_->Counted() && spent.elapsed() < StepMs);
        failed = false;
    });
    ShowFound();
    // What is left uncounted after a failure stays so; the count so far shows.
    if (failed || matches_->Counted())
        counting_.stop();
    if (onCounted)
        onCounted();
}

void OpenListRows::ShowFound()
{
    const int found = matches_->Count();
    if (found <= shown_)
        return;
    beginInsertRows(QModelIndex(), shown_, found - 1);
    shown_ = found;
    endInsertRows();
}

int OpenListRows::ItemAt(int row) const
{
    if (row < 0 || row >= rowCount(QModelIndex()))
        return -1;
    return Narrowed() ? matches_->Item(row) : row;
}

int OpenListRows::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return Narrowed() ? shown_ : items_.rowCount(QModelIndex());
}

QVariant OpenListRows::data(const QModelIndex& index, int role) const
{
    const int item = ItemAt(index.row());
    return item >= 0 ? items_.data(items_.index(item, 0), role) : QVariant();
}
