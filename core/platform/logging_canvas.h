// The draw log of the end-to-end tests: a canvas that draws through another
// canvas and also writes every call as one line of text into a file, so that
// a test of the real program can read what the logging screen drew (which
// fields were filled red, which texts a fix produced) without reading pixels.
// Only the test build of the program (tesselog-drawlog.exe) turns it on; the
// program that goes to the field never writes a draw log.
//
// A line is the tick and the call as the RecordingCanvas writes it:
// "  81234567 fill 700,900 780,914 0000ff". Both threads that draw on the
// logging screen (the user-interface thread and the GPS reader in a
// connection break) write into the same log, so each line is one write under
// a lock and lines never mix.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "core/platform/canvas.h"
#include "core/platform/clock.h"
#include "core/platform/file_system.h"

namespace tesselog {

class DrawLog {
public:
    DrawLog(std::unique_ptr<File> file, Clock& clock) : file_(std::move(file)), clock_(clock) {}

    void Write(const std::string& call) {
        char tick[16];
        std::snprintf(tick, sizeof tick, "%10lu ", static_cast<unsigned long>(clock_.Tick()));
        const std::string line = tick + call + "\n";
        std::lock_guard<std::mutex> hold(lock_);
        if (file_) file_->Write(line.data(), line.size());
    }

private:
    std::unique_ptr<File> file_;
    Clock& clock_;
    std::mutex lock_;
};

class LoggingCanvas : public Canvas {
public:
    LoggingCanvas(Canvas& inner, DrawLog& log) : inner_(inner), log_(log) {}

    void SetPen(Color color, int width) override {
        inner_.SetPen(color, width);
        Log([&] { text_.SetPen(color, width); });
    }
    void SetNullPen() override {
        inner_.SetNullPen();
        Log([&] { text_.SetNullPen(); });
    }
    void SetBrush(Color color) override {
        inner_.SetBrush(color);
        Log([&] { text_.SetBrush(color); });
    }
    void SetHollowBrush() override {
        inner_.SetHollowBrush();
        Log([&] { text_.SetHollowBrush(); });
    }
    void Line(Point from, Point to) override {
        inner_.Line(from, to);
        Log([&] { text_.Line(from, to); });
    }
    void Polyline(const Point* points, size_t count) override {
        inner_.Polyline(points, count);
        Log([&] { text_.Polyline(points, count); });
    }
    void Rectangle(const Rect& box) override {
        inner_.Rectangle(box);
        Log([&] { text_.Rectangle(box); });
    }
    void Ellipse(const Rect& box) override {
        inner_.Ellipse(box);
        Log([&] { text_.Ellipse(box); });
    }
    void FillRect(const Rect& box, Color color) override {
        inner_.FillRect(box, color);
        Log([&] { text_.FillRect(box, color); });
    }
    void SetFont(FontChoice font) override {
        inner_.SetFont(font);
        Log([&] { text_.SetFont(font); });
    }
    void SetTextColor(Color color) override {
        inner_.SetTextColor(color);
        Log([&] { text_.SetTextColor(color); });
    }
    void SetTextAlign(TextAlign align) override {
        inner_.SetTextAlign(align);
        Log([&] { text_.SetTextAlign(align); });
    }
    void SetTextBackground(bool transparent, Color color) override {
        inner_.SetTextBackground(transparent, color);
        Log([&] { text_.SetTextBackground(transparent, color); });
    }
    void Text(int32_t x, int32_t y, const std::string& text) override {
        inner_.Text(x, y, text);
        Log([&] { text_.Text(x, y, text); });
    }
    void TextInRect(const Rect& clip, int32_t x, int32_t y, const std::string& text) override {
        inner_.TextInRect(clip, x, y, text);
        Log([&] { text_.TextInRect(clip, x, y, text); });
    }
    // A measurement draws nothing and is not logged.
    TextSize TextExtent(const std::string& text) override { return inner_.TextExtent(text); }
    void SetClip(const Rect& box) override {
        inner_.SetClip(box);
        Log([&] { text_.SetClip(box); });
    }
    void ClearClip() override {
        inner_.ClearClip();
        Log([&] { text_.ClearClip(); });
    }
    void CopyBlock(const Rect& source, Point to) override {
        inner_.CopyBlock(source, to);
        Log([&] { text_.CopyBlock(source, to); });
    }

private:
    // The RecordingCanvas turns the call into its line.
    template <typename Call>
    void Log(Call call) {
        call();
        for (const std::string& line : text_.Calls) log_.Write(line);
        text_.Calls.clear();
    }

    Canvas& inner_;
    DrawLog& log_;
    RecordingCanvas text_;
};

}  // namespace tesselog
