#include "PanelFonts.h"

#include "../platform/CjkTypeface.h"

namespace
{
    // Found once; let go of when the framework shuts down, with its own typeface cache.
    struct CjkTypefaceHolder : public juce::DeletedAtShutdown
    {
        ~CjkTypefaceHolder() override { clearSingletonInstance(); }

        const juce::Typeface::Ptr typeface = CjkTypeface::find();

        JUCE_DECLARE_SINGLETON (CjkTypefaceHolder, false)
    };

    JUCE_IMPLEMENT_SINGLETON (CjkTypefaceHolder)

    bool isInstalled (const juce::String& typefaceName)
    {
        static const auto installed = juce::Font::findAllTypefaceNames();
        return installed.contains (typefaceName);
    }

    bool canShowChinese (const juce::String& typefaceName) { return typefaceName.startsWith ("Microsoft YaHei"); }

    bool isPlainAscii (const juce::String& text)
    {
        for (auto c : text)
            if (c > 127)
                return false;

        return true;
    }
}

juce::Font PanelFonts::make (const juce::String& typefaceName, float height)
{
#if JUCE_MAJOR_VERSION >= 8
    return juce::Font (juce::FontOptions (typefaceName, height, juce::Font::plain));
#else
    return juce::Font (typefaceName, height, juce::Font::plain);
#endif
}

juce::Font PanelFonts::forText (const juce::String& typefaceName, float height, const juce::String& text)
{
    if (isInstalled (typefaceName) && (isPlainAscii (text) || canShowChinese (typefaceName)))
        return make (typefaceName, height);

    return make (juce::Font::getDefaultSansSerifFontName(), height);
}

void PanelFonts::useCjkCapableDefault (juce::LookAndFeel& lookAndFeel)
{
    auto cjkTypeface = CjkTypefaceHolder::getInstance()->typeface;

    if (cjkTypeface != nullptr)
    {
        lookAndFeel.setDefaultSansSerifTypeface (cjkTypeface);

        // Fonts resolved before now would keep the old default face.
        juce::Typeface::clearTypefaceCache();
    }
}

void PanelFonts::installAsDesktopDefault (juce::LookAndFeel& lookAndFeel)
{
    juce::Desktop::getInstance().setDefaultLookAndFeel (&lookAndFeel);

    // Typefaces are found through the desktop default; forget those found before.
    juce::Typeface::clearTypefaceCache();
}
