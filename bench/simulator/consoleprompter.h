#pragma once

// Boxes are counted on stderr, never shown: a benchmark has nobody to press OK.
#include "r5/prompter.h"

#include <cstdio>

namespace bench {

class ConsolePrompter final : public r5::Prompter
{
public:
    void message(QWidget *, Icon, const QString &, const QString &text) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
    bool askYesNo(QWidget *, const QString &, const QString &, Icon) override { return false; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, bool) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};

} // namespace bench
