#include "report/ReportExpression.h"

#include <stdexcept>

#include "report/ReportDataSource.h"

namespace korvex {

TCompiledText::TCompiledText(const QString& text, std::span<const IReportDataSource* const> sources)
{
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(u'[', at);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u']', open + 1);
        if (close < 0) {
            AddLiteral(text.mid(at));
            break;
        }
        AddLiteral(text.mid(at, open - at));
        const Part part = ParseExpression(text.mid(open + 1, close - open - 1), sources);
        if (part.kind == PartKind::Literal)
            AddLiteral(text.mid(open, close - open + 1));
        else
            parts_.push_back(part);
        usesRow_ = usesRow_ || part.kind == PartKind::Field;
        at = close + 1;
    }
}

void TCompiledText::AddLiteral(const QString& text)
{
    if (text.isEmpty())
        return;
    if (!parts_.empty() && parts_.back().kind == PartKind::Literal)
        parts_.back().literal += text;
    else
        parts_.push_back({PartKind::Literal, text, nullptr, -1});
}

TCompiledText::Part TCompiledText::ParseExpression(const QString& expression,
                                                   std::span<const IReportDataSource* const> sources) const
{
    const QString name = expression.trimmed();
    if (name.compare(u"Date", Qt::CaseInsensitive) == 0)
        return {PartKind::Date, {}, nullptr, -1};
    if (name.compare(u"Time", Qt::CaseInsensitive) == 0)
        return {PartKind::Time, {}, nullptr, -1};
    if (name.compare(u"Page", Qt::CaseInsensitive) == 0)
        return {PartKind::Page, {}, nullptr, -1};
    if (name.compare(u"TotalPages#", Qt::CaseInsensitive) == 0)
        return {PartKind::TotalPages, {}, nullptr, -1};

    // source."field"
    const qsizetype dot = name.indexOf(u'.');
    if (dot <= 0 || !name.endsWith(u'"') || name.size() < dot + 3 || name.at(dot + 1) != u'"')
        return {};
    const QString sourceName = name.left(dot).trimmed();
    const QString fieldName = name.mid(dot + 2, name.size() - dot - 3);
    for (const IReportDataSource* source : sources) {
        if (source->Name().compare(sourceName, Qt::CaseInsensitive) != 0)
            continue;
        const int field = source->FindField(fieldName);
        if (field < 0)
            throw std::runtime_error(QStringLiteral("The report's data source %1 has no field \"%2\".")
                                         .arg(sourceName, fieldName)
                                         .toStdString());
        return {PartKind::Field, {}, source, field};
    }
    throw std::runtime_error(
        QStringLiteral("The report has no data source named %1.").arg(sourceName).toStdString());
}

QString TCompiledText::Evaluate(const TExpressionValues& values) const
{
    // Most objects are a single part: no concatenation needed.
    if (parts_.size() == 1 && parts_.front().kind == PartKind::Literal)
        return parts_.front().literal;
    QString out;
    for (const Part& part : parts_) {
        switch (part.kind) {
        case PartKind::Literal: out += part.literal; break;
        case PartKind::Date: out += values.date; break;
        case PartKind::Time: out += values.time; break;
        case PartKind::Page: out += QString::number(values.page); break;
        case PartKind::TotalPages: out += QString::number(values.totalPages); break;
        case PartKind::Field:
            if (values.row >= 0 && values.row < part.source->RowCount())
                out += part.source->Value(values.row, part.field);
            break;
        }
    }
    return out;
}

}  // namespace korvex
