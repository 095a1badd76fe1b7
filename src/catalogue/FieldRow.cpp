#include "catalogue/FieldRow.h"

#include <utility>

FieldRow::FieldRow(QStringList row) : m_row(std::move(row)) {}

bool FieldRow::isComplete() const
{
    if (m_row.size() < 2)
        return false;
    return control() != Control::Choice || m_row.size() >= 4;
}

QString FieldRow::key() const
{
    return at(0);
}

QString FieldRow::label() const
{
    return at(1);
}

QString FieldRow::kind() const
{
    return m_row.size() > 2 ? m_row.at(2) : QStringLiteral("text");
}

QString FieldRow::defaultValue() const
{
    const QString values = at(3);
    const qsizetype bar = values.indexOf(u'|');
    return bar < 0 ? values : values.left(bar);
}

QStringList FieldRow::choices() const
{
    return at(3).split(u'|');
}

FieldRow::Control FieldRow::control() const
{
    const QString word = kind();
    if (word == u"choice")
        return Control::Choice;
    if (word == u"lan-address")
        return Control::AddressMenu;
    if (word == u"lines")
        return Control::Lines;
    return Control::LineEdit;
}

bool FieldRow::picksPath() const
{
    const QString word = kind();
    return word == u"open" || word == u"save" || word == u"folder";
}

bool FieldRow::picksFolder() const
{
    return kind() == u"folder";
}

bool FieldRow::picksSaveTarget() const
{
    return kind() == u"save";
}

QString FieldRow::at(qsizetype position) const
{
    return position < m_row.size() ? m_row.at(position) : QString();
}
