#include "report/ReportPdf.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "meter/Windows1252.h"
#include "report/Report.h"

namespace korvex {
namespace {

constexpr double PointsPerMm = 72.0 / 25.4;
// Arial's ascent and descent as parts of the font size: where a line of text stands in its box.
constexpr double Ascent = 1854.0 / 2048.0;
constexpr double Descent = 434.0 / 2048.0;

// Helvetica's advance widths in thousandths of the font size, by Windows-1252 byte; bytes it has no glyph
// for take the width of a digit.
constexpr std::array<short, 256> HelveticaWidths = [] {
    std::array<short, 256> widths{};
    widths.fill(556);
    constexpr short ascii[95] = {
        278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // space to /
        556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0 to ?
        1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,  // @ to O
        667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // P to _
        333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // ` to o
        556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,       // p to ~
    };
    for (int i = 0; i < 95; ++i)
        widths[static_cast<std::size_t>(32 + i)] = ascii[i];
    const std::pair<unsigned char, short> latin[] = {
        {0x80, 556}, {0x85, 1000}, {0x91, 222}, {0x92, 222}, {0x93, 333}, {0x94, 333}, {0x95, 350},
        {0x96, 556}, {0x97, 1000}, {0xA0, 278}, {0xA1, 333}, {0xA6, 260}, {0xA7, 556}, {0xA8, 333},
        {0xA9, 737}, {0xAB, 556}, {0xAC, 584}, {0xAD, 333}, {0xAE, 737}, {0xB0, 400}, {0xB1, 584},
        {0xB2, 333}, {0xB3, 333}, {0xB4, 333}, {0xB5, 556}, {0xB6, 537}, {0xB7, 278}, {0xB9, 333},
        {0xBB, 556}, {0xBC, 834}, {0xBD, 834}, {0xBE, 834}, {0xBF, 611}, {0xD7, 584}, {0xF7, 584},
    };
    for (const auto& [byte, width] : latin)
        widths[byte] = width;
    return widths;
}();

void Append(std::string& out, double value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    out.append(buffer, error == std::errc() ? end : buffer);
}

void AppendLiteral(std::string& out, const std::string& bytes)
{
    out += '(';
    for (const char c : bytes) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    out += ')';
}

// A PDF text string: UTF-16 with its byte order mark, in hex.
std::string TextString(const QString& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "<FEFF";
    for (const QChar c : text)
        for (const int shift : {12, 8, 4, 0})
            out += digits[(c.unicode() >> shift) & 0xF];
    return out + '>';
}

// A zlib stream, as FlateDecode reads it: qCompress's output without the length it puts first.
std::string Deflate(const std::string& data)
{
    const QByteArray packed = qCompress(reinterpret_cast<const uchar*>(data.data()), static_cast<qsizetype>(data.size()));
    if (packed.size() < 4)
        throw std::runtime_error("The report's pages could not be compressed.");
    return std::string(packed.constData() + 4, static_cast<std::size_t>(packed.size() - 4));
}

// Objects are numbered as written; the cross-reference table at the end gives each one's offset.
class PdfFile {
public:
    explicit PdfFile(QIODevice& out) : out_(out) {}

    void Write(const std::string& bytes)
    {
        if (out_.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
            throw std::runtime_error(out_.errorString().toStdString());
        written_ += static_cast<qint64>(bytes.size());
    }
    void Object(int number, const std::string& body)
    {
        if (offsets_.size() < static_cast<std::size_t>(number))
            offsets_.resize(static_cast<std::size_t>(number));
        offsets_[static_cast<std::size_t>(number - 1)] = written_;
        Write(std::to_string(number) + " 0 obj\n" + body + "\nendobj\n");
    }
    void Finish(int infoObject)
    {
        const qint64 xref = written_;
        std::string table = "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
        char entry[24];
        for (const qint64 offset : offsets_) {
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(offset));
            table += entry;
        }
        table += "trailer\n<< /Size " + std::to_string(offsets_.size() + 1) + " /Root 1 0 R /Info " +
                 std::to_string(infoObject) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        Write(table);
    }

private:
    QIODevice& out_;
    qint64 written_ = 0;
    std::vector<qint64> offsets_;
};

// One page's drawing: its frames as one path, then its texts.
bool PageContent(const TReport& report, int page, double pageHeight, std::string& content)
{
    content.clear();
    const std::vector<TPlacedObject> objects = report.PageObjects(page);
    const double k = PointsPerMm;
    Append(content, FrameLineMm * k);
    content += " w 0 G 2 J 0 j\n";
    bool framed = false;
    for (const TPlacedObject& object : objects) {
        if (!object.view->framed)
            continue;
        const QRectF& r = object.rect;
        Append(content, r.left() * k);
        content += ' ';
        Append(content, pageHeight - r.bottom() * k);
        content += ' ';
        Append(content, r.width() * k);
        content += ' ';
        Append(content, r.height() * k);
        content += " re\n";
        framed = true;
    }
    if (framed)
        content += "S\n";

    content += "BT\n0 g\n";
    double fontSize = -1;
    for (const TPlacedObject& object : objects) {
        if (object.text.isEmpty())
            continue;
        const std::string bytes = ToWindows1252(object.text);
        if (FromWindows1252(bytes) != object.text)
            return false;
        const TMemoView& view = *object.view;
        const QRectF inner = object.rect.adjusted(TextGapXMm, TextGapYMm, -TextGapXMm, -TextGapYMm);
        double size = view.fontPointSize;
        int units = 0;
        for (const char c : bytes)
            units += HelveticaWidths[static_cast<unsigned char>(c)];
        double width = units * size / 1000.0;
        const double room = inner.width() * k;
        if (width > room && room > 0) {
            size *= room / width;  // shrunk to its box rather than cut
            width = room;
        }
        double x = inner.left() * k;
        if (view.horzAlign == THorzAlign::Center)
            x = inner.center().x() * k - width / 2;
        else if (view.horzAlign == THorzAlign::Right)
            x = inner.right() * k - width;
        double baseline = inner.top() * k + Ascent * size;
        if (view.vertAlign == TVertAlign::Bottom)
            baseline = inner.bottom() * k - Descent * size;
        else if (view.vertAlign == TVertAlign::Center)
            baseline = inner.top() * k + (inner.height() * k - (Ascent + Descent) * size) / 2 + Ascent * size;

        if (size != fontSize) {
            content += "/F1 ";
            Append(content, size);
            content += " Tf\n";
            fontSize = size;
        }
        content += "1 0 0 1 ";
        Append(content, x);
        content += ' ';
        Append(content, pageHeight - baseline);
        content += " Tm ";
        AppendLiteral(content, bytes);
        content += " Tj\n";
    }
    content += "ET\n";
    return true;
}

}  // namespace

bool WriteReportPdf(const TReport& report, QIODevice& out)
{
    const TReportPage& paper = report.Template().page;
    // Whole points, as printers and Qt's own PDFs give the paper (A4 is 595 x 842).
    const double width = std::round(paper.PrintedWidth() * PointsPerMm);
    const double height = std::round(paper.PrintedHeight() * PointsPerMm);
    const int pages = report.PageCount();
    // 1 catalogue, 2 page tree, 3 font, then a page and its content for each page, then the document's
    // information.
    const auto pageObject = [](int page) { return 4 + 2 * page; };
    const int infoObject = pageObject(pages);

    PdfFile pdf(out);
    pdf.Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    kids.reserve(static_cast<std::size_t>(pages) * 10);
    for (int page = 0; page < pages; ++page)
        kids += std::to_string(pageObject(page)) + " 0 R ";
    std::string mediaBox = "[0 0 ";
    Append(mediaBox, width);
    mediaBox += ' ';
    Append(mediaBox, height);
    mediaBox += ']';
    pdf.Object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " /MediaBox " + mediaBox + " >>");
    pdf.Object(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");

    std::string content;
    for (int page = 0; page < pages; ++page) {
        if (!PageContent(report, page, height, content))
            return false;
        const std::string packed = Deflate(content);
        pdf.Object(pageObject(page), "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 3 0 R >> >> /Contents " +
                                         std::to_string(pageObject(page) + 1) + " 0 R >>");
        pdf.Object(pageObject(page) + 1, "<< /Length " + std::to_string(packed.size()) + " /Filter /FlateDecode >>\nstream\n" +
                                             packed + "\nendstream");
    }
    pdf.Object(infoObject, "<< /Title " + TextString(report.Template().title) + " /Creator " +
                               TextString(QStringLiteral("Korvex LCR")) + " /Producer " +
                               TextString(QStringLiteral("Korvex LCR")) + " >>");
    pdf.Finish(infoObject);
    return true;
}

}  // namespace korvex
