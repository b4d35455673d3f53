#include "CjkTypeface.h"

juce::Typeface::Ptr CjkTypeface::find()
{
    static const char* const preferredFaces[] = { "Microsoft YaHei",  "Microsoft YaHei UI", "SimHei",
                                                  "SimSun",           "WenQuanYi Zen Hei",  "WenQuanYi Micro Hei",
                                                  "Noto Sans CJK SC", "Noto Sans SC",       "Droid Sans Fallback" };

    auto installed = juce::Font::findAllTypefaceNames();

    for (auto* face : preferredFaces)
    {
        if (installed.contains (face))
        {
#if JUCE_MAJOR_VERSION >= 8
            return juce::Typeface::createSystemTypefaceFor (
                juce::Font (juce::FontOptions (face, 16.0f, juce::Font::plain)));
#else
            return juce::Typeface::createSystemTypefaceFor (juce::Font (face, 16.0f, juce::Font::plain));
#endif
        }
    }

    return nullptr;
}
