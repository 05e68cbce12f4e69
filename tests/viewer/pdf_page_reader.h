#pragma once
// Reads back what a printout to PDF holds, for the print tests: the pages with their media boxes
// and, for the first page, each image it draws with its pixels and where it lands on the page
// (in points, origin at the bottom left). Only what Qt's PDF writer produces is understood:
// uncompressed object dictionaries, Flate or DCT image streams, Flate content streams.
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QRectF>
#include <QRegularExpression>
#include <QStringList>
#include <QTransform>

#include <array>
#include <map>
#include <vector>

namespace tirv::test {

struct PdfImage {
    QImage pixels;
    QRectF placed;  // on the page, points
};

struct PdfReadBack {
    int pages = 0;
    QRectF mediaBox;  // of the first page
    std::vector<PdfImage> images;
};

namespace pdf_detail {

struct Object {
    QByteArray dict;
    QByteArray stream;
};

// zlib streams as Qt's qUncompress wants them: with the expected size in front (a guess that
// only needs to be large enough).
inline QByteArray Inflate(const QByteArray& data)
{
    QByteArray sized(4, '\0');
    const quint32 guess = 64u * 1024u * 1024u;
    for (int i = 0; i < 4; ++i)
        sized[i] = static_cast<char>((guess >> (24 - 8 * i)) & 0xFF);
    return qUncompress(sized + data);
}

inline std::map<int, Object> Objects(const QByteArray& file)
{
    std::map<int, Object> objects;
    static const QRegularExpression head(QStringLiteral("(\\d+) 0 obj"));
    auto it = head.globalMatch(QString::fromLatin1(file));
    while (it.hasNext()) {
        const auto m = it.next();
        const int start = static_cast<int>(m.capturedEnd());
        const int end = file.indexOf("endobj", start);
        if (end < 0)
            break;
        Object o;
        const QByteArray body = file.mid(start, end - start);
        const int s = body.indexOf("stream");
        if (s >= 0 && body.indexOf("endstream") > s) {
            o.dict = body.left(s);
            int from = s + 6;
            if (body[from] == '\r')
                ++from;
            if (body[from] == '\n')
                ++from;
            int to = body.lastIndexOf("endstream");
            while (to > from && (body[to - 1] == '\n' || body[to - 1] == '\r'))
                --to;
            o.stream = body.mid(from, to - from);
        } else {
            o.dict = body;
        }
        objects[m.captured(1).toInt()] = o;
    }
    return objects;
}

inline int IntAfter(const QByteArray& dict, const char* key)
{
    const QRegularExpression re(QString::fromLatin1(key) + QStringLiteral("\\s+(\\d+)"));
    const auto m = re.match(QString::fromLatin1(dict));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QImage DecodeImage(const Object& o)
{
    const int w = IntAfter(o.dict, "/Width");
    const int h = IntAfter(o.dict, "/Height");
    if (o.dict.contains("/DCTDecode"))
        return QImage::fromData(o.stream, "JPEG").convertToFormat(QImage::Format_RGB32);
    const QByteArray raw = o.dict.contains("/FlateDecode") ? Inflate(o.stream) : o.stream;
    if (w <= 0 || h <= 0 || raw.size() < static_cast<qsizetype>(w) * h * 3)
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto* px = reinterpret_cast<const uchar*>(raw.constData()) + (static_cast<qsizetype>(y) * w + x) * 3;
            img.setPixel(x, y, qRgb(px[0], px[1], px[2]));
        }
    return img;
}

}  // namespace pdf_detail

inline PdfReadBack ReadPdf(const QString& path)
{
    using namespace pdf_detail;
    PdfReadBack r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    const std::map<int, Object> objects = Objects(f.readAll());
    const Object* firstPage = nullptr;
    static const QRegularExpression pageType(QStringLiteral("/Type\\s*/Page(?!s)"));
    for (const auto& [id, o] : objects)
        if (QString::fromLatin1(o.dict).contains(pageType)) {
            ++r.pages;
            if (firstPage == nullptr)
                firstPage = &o;
        }
    if (firstPage == nullptr)
        return r;
    static const QRegularExpression box(QStringLiteral(
        "/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s*\\]"));
    const auto b = box.match(QString::fromLatin1(firstPage->dict));
    if (b.hasMatch())
        r.mediaBox = QRectF(QPointF(b.captured(1).toDouble(), b.captured(2).toDouble()),
                            QPointF(b.captured(3).toDouble(), b.captured(4).toDouble()));
    // The page's resources name its images: /Im1 12 0 R.
    std::map<QByteArray, int> named;
    static const QRegularExpression xobject(QStringLiteral("/(\\w+)\\s+(\\d+)\\s+0\\s+R"));
    for (const auto& [id, o] : objects) {
        if (!o.dict.contains("/XObject") || o.dict.contains("/Subtype"))
            continue;
        auto it = xobject.globalMatch(QString::fromLatin1(o.dict));
        while (it.hasNext()) {
            const auto m = it.next();
            named[m.captured(1).toLatin1()] = m.captured(2).toInt();
        }
    }
    const int contents = IntAfter(firstPage->dict, "/Contents");
    const auto c = objects.find(contents);
    if (c == objects.end())
        return r;
    const QByteArray ops =
        c->second.dict.contains("/FlateDecode") ? Inflate(c->second.stream) : c->second.stream;
    // Follow q/Q and cm to the matrix in force at each "Do" of an image.
    std::vector<QTransform> stack{QTransform()};
    std::vector<double> numbers;
    QByteArray lastName;
    for (const QByteArray& token : ops.simplified().split(' ')) {
        bool isNumber = false;
        const double v = token.toDouble(&isNumber);
        if (isNumber) {
            numbers.push_back(v);
            continue;
        }
        if (token == "q") {
            stack.push_back(stack.back());
        } else if (token == "Q") {
            if (stack.size() > 1)
                stack.pop_back();
        } else if (token == "cm" && numbers.size() >= 6) {
            const auto* n = &numbers[numbers.size() - 6];
            stack.back() = QTransform(n[0], n[1], n[2], n[3], n[4], n[5]) * stack.back();
        } else if (token.startsWith('/')) {
            lastName = token.mid(1);
        } else if (token == "Do") {
            const auto id = named.find(lastName);
            const auto img = id == named.end() ? objects.end() : objects.find(id->second);
            if (img != objects.end() && img->second.dict.contains("/Image"))
                r.images.push_back({DecodeImage(img->second), stack.back().mapRect(QRectF(0, 0, 1, 1))});
        }
        if (!isNumber)
            numbers.clear();
    }
    return r;
}

}  // namespace tirv::test
