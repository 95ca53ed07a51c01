#include "platform/x11/serverstrip.h"

#include <sys/uio.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include "platform/x11/x11connection.h"

namespace {

// The SHAPE extension, for the input region; its requests are written out here.
xcb_extension_t shapeExtension = {"SHAPE", 0};
constexpr std::uint8_t kShapeRectangles = 1;
constexpr std::uint8_t kShapeSet = 0;
constexpr std::uint8_t kShapeInput = 2;

struct ShapeRectanglesRequest {
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint8_t operation;
    std::uint8_t kind;
    std::uint8_t ordering;
    std::uint8_t pad;
    xcb_window_t window;
    std::int16_t xOffset;
    std::int16_t yOffset;
};

// Gives the window an empty input region: the pointer goes through it to the window beneath.
bool passPointerThrough(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &shapeExtension);
    if (shape == nullptr || shape->present == 0) {
        return false;
    }
    ShapeRectanglesRequest request{};
    request.operation = kShapeSet;
    request.kind = kShapeInput;
    request.window = window;
    static const xcb_protocol_request_t kind = {1, &shapeExtension, kShapeRectangles, 1};
    // xcb_send_request writes the header into the two parts before the first.
    iovec parts[3] = {};
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof request;
    const xcb_void_cookie_t cookie{
        xcb_send_request(connection, XCB_REQUEST_CHECKED, parts + 2, &kind)};
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    std::free(error);
    return error == nullptr;
}

// The visual's depth when it is true colour with 8 bits a channel, as a 32-bit pixel the
// way QImage's ARGB32 lies in memory; 0 otherwise.
std::uint8_t pictureDepth(xcb_connection_t* connection, xcb_visualid_t visual) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const bool sameOrder =
        (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) == (Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    if (!sameOrder) {
        return 0;
    }
    for (auto roots = xcb_setup_roots_iterator(setup); roots.rem != 0; xcb_screen_next(&roots)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(roots.data); depths.rem != 0;
             xcb_depth_next(&depths)) {
            for (auto types = xcb_depth_visuals_iterator(depths.data); types.rem != 0;
                 xcb_visualtype_next(&types)) {
                const xcb_visualtype_t& type = *types.data;
                if (type.visual_id != visual) {
                    continue;
                }
                const std::uint8_t depth = depths.data->depth;
                const bool rgb = type._class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                                 type.red_mask == 0xff0000 && type.green_mask == 0xff00 &&
                                 type.blue_mask == 0xff && (depth == 24 || depth == 32);
                return rgb ? depth : 0;
            }
        }
    }
    return 0;
}

bool wholeWords(xcb_connection_t* connection, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem != 0;
         xcb_format_next(&formats)) {
        if (formats.data->depth == depth) {
            return formats.data->bits_per_pixel == 32 && formats.data->scanline_pad == 32;
        }
    }
    return false;
}

// A coordinate within what a 16-bit field of the protocol holds.
std::int16_t coordinate(int value) {
    return std::int16_t(std::clamp(value, -32768, 32767));
}

// A width or height the server takes for a window: 1 to ServerStrip::kLargest.
std::uint16_t extent(int value) {
    return std::uint16_t(std::clamp(value, 1, ServerStrip::kLargest));
}

QWidget* nativeHost(QWidget& widget) {
    QWidget* host = widget.nativeParentWidget();
    return host != nullptr && host->internalWinId() != 0 ? host : nullptr;
}

}  // namespace

struct ServerStrip::Server {
    xcb_connection_t* connection = nullptr;
    std::uint8_t depth = 0;
};

std::unique_ptr<ServerStrip> ServerStrip::over(QWidget& widget) {
    xcb_connection_t* connection = x11Connection();
    QWidget* host = nativeHost(widget);
    if (connection == nullptr || host == nullptr) {
        return nullptr;
    }
    const auto hostWindow = xcb_window_t(host->internalWinId());
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, hostWindow), nullptr);
    const xcb_visualid_t visual = attributes != nullptr ? attributes->visual : 0;
    std::free(attributes);
    auto server = std::make_unique<Server>();
    server->connection = connection;
    server->depth = pictureDepth(connection, visual);
    if (server->depth == 0 || !wholeWords(connection, server->depth)) {
        return nullptr;
    }
    std::unique_ptr<ServerStrip> strip(new ServerStrip(widget, std::move(server)));
    if (!strip->makeWindow()) {
        return nullptr;
    }
    return strip;
}

ServerStrip::ServerStrip(QWidget& onWidget, std::unique_ptr<Server> onServer)
    : widget(&onWidget), server(std::move(onServer)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

ServerStrip::~ServerStrip() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    forgetAll();
    dropWindow();
    xcb_flush(server->connection);
}

bool ServerStrip::makeWindow() {
    QWidget* host = widget != nullptr ? nativeHost(*widget) : nullptr;
    if (host == nullptr) {
        return false;
    }
    xcb_connection_t* connection = server->connection;
    parent = host->internalWinId();
    placed = wantedPlace();
    window = xcb_generate_id(connection);
    // No background: the server leaves the pixels alone until they are drawn, so nothing
    // flickers; what it loses it reports, and the whole strip is drawn again.
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_GRAVITY_NORTH_WEST,
                                    XCB_EVENT_MASK_EXPOSURE};
    const xcb_void_cookie_t created = xcb_create_window_checked(
        connection, XCB_COPY_FROM_PARENT, window, xcb_window_t(parent), coordinate(placed.x()),
        coordinate(placed.y()), extent(placed.width()), extent(placed.height()), 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
        XCB_CW_BACK_PIXMAP | XCB_CW_BIT_GRAVITY | XCB_CW_EVENT_MASK, values);
    xcb_generic_error_t* error = xcb_request_check(connection, created);
    if (error != nullptr) {
        std::free(error);
        window = 0;
        return false;
    }
    if (!passPointerThrough(connection, window)) {
        dropWindow();
        return false;
    }
    gc = xcb_generate_id(connection);
    const std::uint32_t gcValues[] = {foreground, 0};
    xcb_create_gc(connection, gc, window, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, gcValues);
    mapped = false;
    follow(shown);
    return true;
}

void ServerStrip::dropWindow() {
    xcb_connection_t* connection = server->connection;
    if (gc != 0) {
        xcb_free_gc(connection, gc);
        gc = 0;
    }
    if (window != 0) {
        // Gone already when Qt destroyed the window it lay in: an error is dropped unread.
        xcb_discard_reply(connection, xcb_destroy_window_checked(connection, window).sequence);
        window = 0;
    }
    mapped = false;
}

QRect ServerStrip::wantedPlace() const {
    QWidget* host = widget != nullptr ? nativeHost(*widget) : nullptr;
    if (host == nullptr) {
        return {};
    }
    const qreal ratio = widget->devicePixelRatioF();
    const QPoint at = widget->mapTo(host, QPoint(0, 0));
    const auto device = [ratio](int v) { return qRound(v * ratio); };
    const QRect place(
        QPoint(device(at.x()), device(at.y())),
        QPoint(device(at.x() + widget->width()) - 1, device(at.y() + widget->height()) - 1));
    // The window's coordinates and size go in 16-bit fields.
    const QPoint topLeft(coordinate(place.x()), coordinate(place.y()));
    return {topLeft, QSize(std::min(place.width(), kLargest), std::min(place.height(), kLargest))};
}

bool ServerStrip::current() {
    QWidget* host = widget != nullptr ? nativeHost(*widget) : nullptr;
    if (host == nullptr) {
        return false;
    }
    if (host->internalWinId() != parent) {
        dropWindow();
        return makeWindow();
    }
    return window != 0;
}

void ServerStrip::follow(bool show) {
    shown = show;
    if (!current()) {
        return;
    }
    xcb_connection_t* connection = server->connection;
    const QRect place = wantedPlace();
    if (place != placed && place.isValid()) {
        // Each value is the 32-bit form of a 16-bit field: a negative x keeps its sign.
        const std::uint32_t values[] = {
            std::uint32_t(std::int32_t(place.x())), std::uint32_t(std::int32_t(place.y())),
            std::uint32_t(place.width()), std::uint32_t(place.height())};
        xcb_configure_window(connection, window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
        placed = place;
    }
    const bool map = show && place.isValid();
    if (map != mapped) {
        if (map) {
            xcb_map_window(connection, window);
        } else {
            xcb_unmap_window(connection, window);
        }
        mapped = map;
    }
    xcb_flush(connection);
}

bool ServerStrip::ready() {
    return current() && mapped;
}

void ServerStrip::keep(quint64 key, const QImage& image) {
    forget(key);
    if (image.isNull() || window == 0) {
        return;
    }
    xcb_connection_t* connection = server->connection;
    const QImage kept = image.width() > kLargest || image.height() > kLargest
                            ? image.copy(0, 0, std::min(image.width(), kLargest),
                                         std::min(image.height(), kLargest))
                            : image;
    const QImage pixels = kept.format() == QImage::Format_ARGB32_Premultiplied ||
                                  kept.format() == QImage::Format_RGB32
                              ? kept
                              : kept.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Picture picture{xcb_generate_id(connection), pixels.width(), pixels.height()};
    xcb_create_pixmap(connection, server->depth, picture.pixmap, window, quint16(picture.width),
                      quint16(picture.height));
    // As many rows a request as the server takes.
    constexpr std::uint32_t kHeaderBytes = 24;
    const auto line = std::uint32_t(pixels.bytesPerLine());
    const std::uint32_t most = xcb_get_maximum_request_length(connection) * 4;
    const int rows = std::max<int>(1, int((most - kHeaderBytes) / line));
    for (int top = 0; top < picture.height; top += rows) {
        const int count = std::min(rows, picture.height - top);
        xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, picture.pixmap, gc,
                      quint16(picture.width), quint16(count), 0, qint16(top), 0, server->depth,
                      line * std::uint32_t(count), pixels.constScanLine(top));
    }
    pictures.insert(key, picture);
}

void ServerStrip::forget(quint64 key) {
    const auto found = pictures.constFind(key);
    if (found != pictures.constEnd()) {
        xcb_free_pixmap(server->connection, found->pixmap);
        pictures.erase(found);
    }
}

void ServerStrip::forgetUnless(const std::function<bool(quint64)>& wanted) {
    for (auto it = pictures.begin(); it != pictures.end();) {
        if (wanted(it.key())) {
            ++it;
        } else {
            xcb_free_pixmap(server->connection, it->pixmap);
            it = pictures.erase(it);
        }
    }
}

void ServerStrip::forgetAll() {
    forgetUnless([](quint64) { return false; });
}

void ServerStrip::copy(quint64 key, int sourceX, int x, int width) {
    const auto found = pictures.constFind(key);
    if (found == pictures.constEnd() || window == 0) {
        return;
    }
    // The columns both have, in the picture: every field below is then within 0 … kLargest.
    const int from = std::max({0, sourceX, sourceX - x});
    const int to = std::min({found->width, sourceX + width, sourceX - x + placed.width()});
    if (to <= from) {
        return;
    }
    xcb_copy_area(server->connection, found->pixmap, window, gc, std::int16_t(from), 0,
                  std::int16_t(x + from - sourceX), 0, std::uint16_t(to - from),
                  std::uint16_t(std::min(found->height, placed.height())));
}

void ServerStrip::fill(int x, int width, QRgb colour) {
    const int from = std::max(0, x);
    const int to = std::min(x + width, placed.width());
    if (window == 0 || to <= from) {
        return;
    }
    std::uint32_t pixel = colour | 0xff000000U;
    if (server->depth < 32) {
        pixel &= (1U << server->depth) - 1;
    }
    if (pixel != foreground) {
        foreground = pixel;
        xcb_change_gc(server->connection, gc, XCB_GC_FOREGROUND, &foreground);
    }
    const xcb_rectangle_t box{std::int16_t(from), 0, std::uint16_t(to - from),
                              std::uint16_t(placed.height())};
    xcb_poly_fill_rectangle(server->connection, window, gc, 1, &box);
}

void ServerStrip::flush() {
    xcb_flush(server->connection);
}

bool ServerStrip::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (window == 0 || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_EXPOSE) {
        return false;
    }
    const auto* expose = reinterpret_cast<const xcb_expose_event_t*>(event);
    if (expose->window != window) {
        return false;
    }
    // The last of a run of exposures draws everything once.
    if (expose->count == 0 && exposed) {
        exposed();
    }
    return true;
}
