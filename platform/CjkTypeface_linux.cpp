#include "CjkTypeface.h"

juce::Typeface::Ptr CjkTypeface::find()
{
    // Debian's Chinese fonts; each file's first face covers Latin text too.
    static const char* const fontFiles[] = { "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
                                             "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
                                             "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
                                             "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf" };

    for (auto* path : fontFiles)
    {
        juce::MemoryBlock fontData;

        if (juce::File (path).loadFileAsData (fontData) && fontData.getSize() > 0)
            if (auto typeface = juce::Typeface::createSystemTypefaceFor (fontData.getData(), fontData.getSize()))
                return typeface;
    }

    return nullptr;
}
