#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "CustomLookAndFeel.h"
#include "InstallRequest.h"
#include "ProductData.h"

//==============================================================================
/**
    The window's one panel: the maker's logo and a language switch, the product
    selector, the selected product's picture, one install button per piece of
    software for this platform, and a bottom line holding a status text or the
    download progress bar.

    It tells its listener of an install click with a change message; the listener
    then reads getInstallRequest(). Until the next status word other than a
    progress report, further clicks are ignored.
*/
class InterfaceComponent : public juce::Component,
                           public juce::Button::Listener,
                           public juce::ChangeBroadcaster,
                           public juce::ComboBox::Listener
{
public:
    InterfaceComponent();
    ~InterfaceComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged) override;

    /** Replaces the products and their catalogue data, and refills the selector. */
    void setProductData (ProductData data);

    /** Shows a status word of the download and install side: a progress report
        (any text with "%") as the progress bar, any other word as a status text
        in the panel's language, freeing the panel for clicks again. */
    void showStatus (juce::String status);

    /** A copy of the request of the last install click. */
    InstallRequest getInstallRequest() const;

    /** The display name of a software key ("echodeck" gives "Echo Deck"), the key of
        a display name ("Echo Deck" gives "echodeck"), otherwise "Unknown". */
    static juce::String getDisplayName (const juce::String& key);

    /** Refills the product selector from the product list. */
    void updateItems();

    /** Rebuilds the install buttons for the selected product, and the line above them. */
    void updateButtons();

private:
    juce::Image loadImage (juce::String productName);
    void setLanguageImage();
    void setClickable (bool shouldTakeClicks);
    void greyOutSelectedButton();
    void setSupportText (const juce::String& text);

    juce::Image logoImage;
    juce::Image languageImage;
    juce::ImageButton languageButton;
    juce::Label productLabel;
    juce::ComboBox productBox;
    juce::String selectedProduct;
    juce::Image productImage;
    juce::Label supportLabel;
    juce::Label statusLabel;
    juce::OwnedArray<juce::TextButton> installButtons;
    int selectedButtonIndex = -1;
    bool busy = false;
    juce::StringArray softwareNames;
    double progress = 0.0;
    juce::ProgressBar progressBar{ progress };
    juce::StringArray productList;
    std::unordered_map<juce::String, juce::StringArray> driverTypeLists;
    std::unordered_map<juce::String, juce::StringArray> driverDataLists;
    std::unordered_map<juce::String, juce::String> pictureUrls;
    juce::String platform;
    const juce::String& areaSetting;
    juce::String language;
    juce::String area;
    InstallRequest installRequest;
    juce::StringArray matchedEntries;
    std::unique_ptr<CustomLookAndFeel> lookAndFeel;

    friend struct InterfaceComponentInspector;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InterfaceComponent)
};
