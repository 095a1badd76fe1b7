#pragma once

#include "form/PathChooser.h"

#include <QList>
#include <utility>

// Answers the chooser as a user would, and remembers how it was asked.
class ScriptedChooser final : public PathChooser
{
public:
    explicit ScriptedChooser(std::optional<QString> answer) : m_answer(std::move(answer)) {}

    std::optional<QString> choose(Mode mode, const QString &title) override
    {
        asked.append({mode, title});
        return m_answer;
    }

    QList<std::pair<Mode, QString>> asked;

private:
    std::optional<QString> m_answer;
};
