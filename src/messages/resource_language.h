#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "messages/string_table.h"

// Resource lookup: string-table and dialog texts come out in Japanese when the user's first
// interface language is Japanese, in English otherwise.
Language ResourceLanguageOf(const QStringList& uiLanguages);

// The language the program's resources come out in: the rule above over
// QLocale::system().uiLanguages(), decided on first use, unless a test set another.
Language ResourceLanguage();

// Makes resources come out in `language`; std::nullopt returns to the system's choice.
void SetResourceLanguage(std::optional<Language> language);

// String-table entry `id` in the resource language, loaded now; empty when the table lacks it.
std::string LoadResourceString(unsigned id);
