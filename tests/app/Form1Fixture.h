#pragma once

#include "app/Unit1.h"
#include "framework/gui/Application.h"

#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

inline std::string MasterLine(const std::string& code, const std::string& name)
{
    return code + std::string(9 - code.size(), ' ') + name + "\r\n";
}

// Each test runs in a directory of its own, since the window reads its master
// files from the current directory, and collects what would be reported.
class Form1Fixture : public testing::Test {
protected:
    void SetUp() override
    {
        previousDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
        Application->OnException = [this](TObject*, const std::exception& e) {
            reports_.push_back(ExceptionMessage(e));
        };
    }
    void TearDown() override
    {
        Application->OnException = nullptr;
        std::filesystem::current_path(previousDirectory_);
    }

    void WriteMaster(const std::string& fileName, const std::vector<std::string>& names)
    {
        std::string text;
        for (std::size_t i = 0; i < names.size(); ++i)
            text += MasterLine(std::to_string(100000 + i), names[i]);
        dir_.Write(fileName, text);
    }

    std::unique_ptr<TForm1> OpenForm()
    {
        auto form = NewForm<TForm1>(nullptr);
        form->DoCreate();
        form->Show();
        WaitForLoad(*form);
        return form;
    }

    // Clicks the "omast.dat" button and waits for its load to end.
    static void Reload(TForm1& form)
    {
        form.BitBtn1->Click();
        WaitForLoad(form);
    }

    // Waits for a load and for the search's indexes built after it, which
    // the cursor shows as it shows the load.
    static void WaitForLoad(const TForm1& form)
    {
        WaitForList(form);
        while (Busy(form))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Settle();
    }

    static bool Busy(const TForm1& form) { return form.Widget()->cursor().shape() == Qt::BusyCursor; }

    // A load is under way while the buttons wait for it.
    static bool LoadUnderWay(const TForm1& form) { return !form.BitBtn1->Enabled(); }

    // Waits for a load until its list shows.
    static void WaitForList(const TForm1& form)
    {
        while (LoadUnderWay(form))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Settle();
    }

    // Waits for a load until its list shows and its search has answered
    // what was typed before it was made.
    static void WaitForSearch(const TForm1& form)
    {
        WaitForList(form);
        while (form.ComboBox1->TypingHeld())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Settle();
    }

    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    static QComboBox& Box(TComboBox* combo) { return *static_cast<QComboBox*>(combo->Widget()); }

    // Row `row` of the opened drop-down list, as painted.
    static QImage PaintedRow(TComboBox* combo, int row)
    {
        combo->SetDroppedDown(true);
        Settle();
        QAbstractItemView* view = Box(combo).view();
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        Settle();
        return view->viewport()->grab(view->visualRect(index)).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // `utf8Name` drawn straight with QPainter in the box's font and colours.
    static QImage DrawnDirectly(const QWidget& box, QSize size, const std::string& utf8Name, bool selected)
    {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        const QPalette& palette = box.palette();
        painter.fillRect(image.rect(), palette.color(selected ? QPalette::Highlight : QPalette::Base));
        painter.setFont(box.font());
        painter.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QPoint(0, QFontMetrics(box.font()).ascent()), QString::fromStdString(utf8Name));
        return image;
    }

    TempDir dir_;
    std::filesystem::path previousDirectory_;
    std::vector<std::string> reports_;
};
