#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QRgb>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class QImage;

// A window of the X server's own laid over a widget's rectangle and drawn by the server
// alone from pictures kept there: a picture crosses the wire once, and a frame is a few copy
// and fill requests and one flush, with none of the repaint, backing store and image
// transfer of a Qt paint. It takes no input: clicks and the pointer reach the widget and its
// window beneath as if it were not there. Coordinates are the window's device pixels.
class ServerStrip final : public QAbstractNativeEventFilter {
public:
    // The widest and highest picture or window it makes, in device pixels: as large as the X
    // server makes one and a 16-bit coordinate of the protocol reaches.
    static constexpr int kLargest = 32767;

    // Null off X11, while the widget's window has no native window yet, and when the server
    // lacks what the strip needs (input shapes, a true-colour visual of 24 or 32 bits).
    [[nodiscard]] static std::unique_ptr<ServerStrip> over(QWidget& widget);
    ~ServerStrip() override;
    ServerStrip(const ServerStrip&) = delete;
    ServerStrip& operator=(const ServerStrip&) = delete;

    // Lays the window over the widget's rectangle, shown or not. Call when the widget is
    // shown, hidden, moved or resized.
    void follow(bool shown);
    // Before drawing: false when nothing can be seen. Makes the window anew when Qt made a
    // new native window for the widget's window (and took the old one down with ours).
    [[nodiscard]] bool ready();
    [[nodiscard]] QSize size() const { return placed.size(); }

    [[nodiscard]] bool holds(quint64 key) const { return pictures.contains(key); }
    // Keeps an opaque picture on the server under key, in place of the one before; of a
    // picture larger than kLargest, its top left kLargest square.
    void keep(quint64 key, const QImage& image);
    void forget(quint64 key);
    // Forgets every picture whose key wanted() turns down.
    void forgetUnless(const std::function<bool(quint64)>& wanted);
    void forgetAll();
    [[nodiscard]] qsizetype pictureCount() const { return pictures.size(); }

    // Copies the picture's columns from sourceX on, width of them, to the window's column
    // x, as high as both; only what both the picture and the window have.
    void copy(quint64 key, int sourceX, int x, int width);
    // Fills the window's columns from x on, width of them (those the window has).
    void fill(int x, int width, QRgb colour);
    // Sends what was drawn.
    void flush();

    // The server lost some of the window's pixels (it was mapped, or uncovered): draw it
    // all again.
    std::function<void()> exposed;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Picture {
        std::uint32_t pixmap = 0;
        int width = 0;
        int height = 0;
    };
    struct Server;
    ServerStrip(QWidget& widget, std::unique_ptr<Server> server);
    // The window is there, made anew when the widget's window has a new native window.
    [[nodiscard]] bool current();
    [[nodiscard]] bool makeWindow();
    void dropWindow();
    [[nodiscard]] QRect wantedPlace() const;

    QPointer<QWidget> widget;
    std::unique_ptr<Server> server;
    QHash<quint64, Picture> pictures;
    std::uintptr_t parent = 0;
    std::uint32_t window = 0;
    std::uint32_t gc = 0;
    QRect placed;
    bool shown = false;
    bool mapped = false;
    std::uint32_t foreground = 0;
};
