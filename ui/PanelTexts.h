#pragma once

#include <juce_core/juce_core.h>

/** Every text of the panel, in English and Chinese. */
namespace PanelTexts
{
    enum class Id
    {
        productCaption,
        supportFound,
        supportNoSoftware,
        supportNoDevice,
        statusDownloaded,
        statusInstalled,
        statusInstallError,
        statusSoftwareExist,
        statusServerError
    };

    /** The text in English when language is exactly "en", otherwise in Chinese. */
    juce::String get (Id id, const juce::String& language);

    /** The install button's text for a software key and its display name. */
    juce::String getInstallButtonText (const juce::String& key, const juce::String& displayName,
                                       const juce::String& language);

    /** A text held as a UTF-16 literal, as the program's Chinese texts are. */
    juce::String fromUtf16 (const char16_t* text);

    /** The status line's text for a status word other than a progress report. */
    juce::String getStatusText (const juce::String& statusWord, const juce::String& language);
}
