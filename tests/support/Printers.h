#pragma once

#include <juce_core/juce_core.h>

#include <ostream>

// Lets test failures show framework strings and string lists as text.
namespace juce
{
    inline void PrintTo (const String& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

    inline void PrintTo (const StringArray& strings, std::ostream* out)
    {
        *out << '{';
        for (int i = 0; i < strings.size(); ++i)
            *out << (i > 0 ? ", " : " ") << '"' << strings[i].toStdString() << '"';
        *out << " }";
    }
}
