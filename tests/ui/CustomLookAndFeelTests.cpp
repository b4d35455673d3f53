#include <gtest/gtest.h>

#include "ui/CustomLookAndFeel.h"
#include "ui/PanelFonts.h"

namespace
{
    const juce::Colour track (0xffadd8e6), fill (0xff006994);

    juce::Image drawProgressBar (double progress, int width)
    {
        CustomLookAndFeel lookAndFeel;
        double value = progress;
        juce::ProgressBar bar (value);
        juce::Image image (juce::Image::ARGB, width, 30, true);
        juce::Graphics g (image);
        lookAndFeel.drawProgressBar (g, bar, width, 30, progress, {});
        return image;
    }

    // Pixels of the glyphs drawn for one text, as a signature of their shapes.
    juce::Image renderText (const juce::String& text, const juce::Font& font)
    {
        juce::Image image (juce::Image::ARGB, 160, 40, true);
        juce::Graphics g (image);
        g.setColour (juce::Colours::black);
        g.setFont (font);
        g.drawText (text, 0, 0, 160, 40, juce::Justification::centred, false);
        return image;
    }

    juce::MemoryBlock pixelsOf (const juce::Image& image)
    {
        juce::MemoryBlock pixels;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
            {
                auto argb = image.getPixelAt (x, y).getARGB();
                pixels.append (&argb, sizeof (argb));
            }
        return pixels;
    }

    int countInk (const juce::Image& image)
    {
        int ink = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                ink += image.getPixelAt (x, y).getAlpha() > 128 ? 1 : 0;
        return ink;
    }
}

TEST (ProgressBarDrawing, FillsWholePixelsOfARoundedTrack)
{
    struct Case
    {
        const char* name;
        double progress;
        int x;
        juce::Colour expected;
    };

    const Case cases[] = {
        { "empty bar shows the track", 0.0, 5, track },
        { "half of 561 fills 280 pixels", 0.5, 279, fill },
        { "pixel 280 is track again", 0.5, 280, track },
        { "full bar covers the track", 1.0, 555, fill },
    };

    for (auto& c : cases)
        EXPECT_EQ (drawProgressBar (c.progress, 561).getPixelAt (c.x, 15), c.expected) << c.name;

    EXPECT_EQ (drawProgressBar (1.0, 561).getPixelAt (0, 0).getAlpha(), 0) << "corners are not painted";
}

TEST (ButtonTextDrawing, UsesTheOnColourInEveryState)
{
    CustomLookAndFeel lookAndFeel;
    juce::TextButton button ("Install");
    button.setSize (120, 30);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::red);
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::lime);

    for (auto enabled : { true, false })
    {
        button.setEnabled (enabled);
        juce::Image image (juce::Image::ARGB, 120, 30, true);
        juce::Graphics g (image);
        lookAndFeel.drawButtonText (g, button, false, false);

        int red = 0, green = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 120; ++x)
            {
                auto pixel = image.getPixelAt (x, y);
                red += pixel.getRed() > 200 && pixel.getGreen() < 50 && pixel.getAlpha() > 200 ? 1 : 0;
                green += pixel.getGreen() > 200 && pixel.getRed() < 50 && pixel.getAlpha() > 200 ? 1 : 0;
            }

        EXPECT_GT (red, 20) << (enabled ? "enabled" : "disabled");
        EXPECT_EQ (green, 0) << (enabled ? "enabled" : "disabled");
    }
}

TEST (PanelFontDrawing, ShowsChineseAndLatinGlyphs)
{
    CustomLookAndFeel lookAndFeel;
    PanelFonts::installAsDesktopDefault (lookAndFeel);

    auto font = PanelFonts::make (juce::Font::getDefaultSansSerifFontName(), 24.0f);
    juce::StringArray characters;
    for (auto c : juce::String::fromUTF8 ("产品型号"))
        characters.add (juce::String::charToString (c));
    characters.addArray ({ "P", "r", "o", "d" });

    juce::Array<juce::MemoryBlock> signatures;

    for (auto& character : characters)
    {
        auto image = renderText (character, font);
        EXPECT_GT (countInk (image), 10) << "nothing drawn for " << character;
        auto signature = pixelsOf (image);
        EXPECT_FALSE (signatures.contains (signature))
            << character << " looks like another character: a missing-glyph box";
        signatures.add (signature);
    }

    EXPECT_GT (countInk (renderText (juce::String::fromUTF8 ("当前设备支持："),
                                     PanelFonts::forText ("Arial", 16.0f, juce::String::fromUTF8 ("当前设备支持：")))),
               40);

    juce::Desktop::getInstance().setDefaultLookAndFeel (nullptr);
}
