#include "InterfaceComponent.h"

#include "BinaryData.h"
#include "PanelFonts.h"
#include "PanelTexts.h"
#include "../catalogue/DeviceDatabase.h"
#include "../catalogue/PictureCache.h"
#include "../platform/SpecialFolders.h"

namespace
{
    constexpr juce::uint32 black = 0xFF000000;
    constexpr juce::uint32 white = 0xFFFFFFFF;
    constexpr juce::uint32 greyedOut = 0xFF555555;

    constexpr int installButtonX = 40, installButtonStep = 140, installButtonY = 290;
    constexpr int installButtonWidth = 120, installButtonHeight = 30;

    struct DisplayName
    {
        const char* key;
        const char* name;
    };

    const DisplayName displayNames[] = {
        { "nuvomax", "Nuvo Max" }, { "nuvolite", "Nuvo Lite" }, { "nuvo", "Nuvo" },
        { "tw4", "Tuneway 4" },    { "echodeck", "Echo Deck" },
    };

    juce::Image decodeEmbedded (const void* data, int size)
    {
        return juce::ImageFileFormat::loadFrom (data, (size_t) size);
    }

    template <typename Value>
    Value lookUp (const std::unordered_map<juce::String, Value>& map, const juce::String& key)
    {
        auto found = map.find (key);
        return found != map.end() ? found->second : Value();
    }

    void removeIfChild (juce::Component& parent, juce::Component& child)
    {
        if (child.getParentComponent() == &parent)
            parent.removeChildComponent (&child);
    }
}

//==============================================================================
InterfaceComponent::InterfaceComponent()
    : logoImage (decodeEmbedded (BinaryData::logo_png, BinaryData::logo_pngSize)), platform (getPlatformWord()),
      areaSetting (getAreaSetting()), language (areaSetting), area (areaSetting)
{
    setLanguageImage();

    lookAndFeel = std::make_unique<CustomLookAndFeel>();
    progressBar.setLookAndFeel (lookAndFeel.get());

    languageButton.addListener (this);
    addAndMakeVisible (languageButton);

    productLabel.setJustificationType (juce::Justification::centred);
    productLabel.setColour (juce::Label::textColourId, juce::Colour (black));
    addAndMakeVisible (productLabel);

    productBox.addListener (this);
    addAndMakeVisible (productBox);

    supportLabel.setJustificationType (juce::Justification::left);
    supportLabel.setColour (juce::Label::textColourId, juce::Colour (black));
    supportLabel.setFont (PanelFonts::forText ("Arial", 16.0f, {}));
    addAndMakeVisible (supportLabel);

    statusLabel.setJustificationType (juce::Justification::left);
    statusLabel.setColour (juce::Label::textColourId, juce::Colour (black));
}

InterfaceComponent::~InterfaceComponent()
{
    for (auto* button : installButtons)
        button->setLookAndFeel (nullptr);

    progressBar.setLookAndFeel (nullptr);

    languageButton.removeListener (this);
    productBox.removeListener (this);

    for (auto* button : installButtons)
        button->removeListener (this);
}

//==============================================================================
void InterfaceComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (white));

    if (logoImage.isValid())
        g.drawImageAt (logoImage, 10, 5);

    if (productImage.isValid())
    {
        auto width = productImage.getWidth();
        auto height = productImage.getHeight();
        auto drawnHeight = (int) (280.0f / ((float) width / (float) height));
        g.drawImage (productImage, 310, 60, 280, drawnHeight, 0, 0, width, height);
    }
}

void InterfaceComponent::resized()
{
    const std::pair<juce::Component*, juce::Rectangle<int>> layout[] = {
        { &languageButton, { getWidth() - 40, 0, 40, 30 } },
        { &productLabel, { 30, 60, 80, 30 } },
        { &supportLabel, { 30, 250, 540, 30 } },
        { &productBox, { 110, 60, 200, 30 } },
        { &progressBar, { 20, 350, 560, 30 } },
        { &statusLabel, { 30, 350, 580, 30 } },
    };

    for (auto& [component, bounds] : layout)
        component->setBounds (bounds);

    productLabel.setText (PanelTexts::get (PanelTexts::Id::productCaption, language), juce::dontSendNotification);
}

//==============================================================================
void InterfaceComponent::comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged)
{
    if (comboBoxThatHasChanged != &productBox)
        return;

    selectedProduct = productBox.getText();
    productImage = loadImage (selectedProduct);
    removeIfChild (*this, statusLabel);
    updateButtons();
    repaint();
}

void InterfaceComponent::buttonClicked (juce::Button* button)
{
    if (busy)
        return;

    if (button == &languageButton)
    {
        removeIfChild (*this, statusLabel);
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> clicked switch language button\n\n\n");
        language = (language == "en") ? "cn" : "en";
        setLanguageImage();
        resized();
        updateButtons();
        return;
    }

    auto index = installButtons.indexOf (static_cast<juce::TextButton*> (button));

    if (index < 0)
        return;

    busy = true;
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button:" + button->getButtonText());

    const auto& entry = matchedEntries[index];
    auto addressStart = entry.indexOfChar ('>') + 1;

    installRequest.product = selectedProduct;
    installRequest.softwareName = softwareNames[index];
    installRequest.area = area;
    installRequest.language = language;
    installRequest.url = entry.substring (addressStart).replace (" ", "%20");
    installRequest.skipDialogAutomation = entry.contains ("nuvomax") && area == "en";

    sendChangeMessage();

    selectedButtonIndex = index;
    greyOutSelectedButton();
    setClickable (false);
}

//==============================================================================
void InterfaceComponent::setProductData (ProductData data)
{
    productList.clear();
    driverTypeLists.clear();
    driverDataLists.clear();

    productList = data.productList;
    driverTypeLists = data.driverTypeLists;
    driverDataLists = data.driverDataLists;
    pictureUrls = data.pictureUrls;

    updateItems();
}

void InterfaceComponent::showStatus (juce::String status)
{
    if (status.contains ("%"))
    {
        progress = status.dropLastCharacters (1).getDoubleValue() / 100.0;
        setClickable (false);
        greyOutSelectedButton();
        removeIfChild (*this, statusLabel);
        addAndMakeVisible (progressBar);
        return;
    }

    auto statusText = PanelTexts::getStatusText (status, language);

    if (status == "Downloaded")
    {
        statusLabel.setText (statusText, juce::dontSendNotification);
        removeIfChild (*this, progressBar);
        addAndMakeVisible (statusLabel);
    }
    else if (status == "Installed")
    {
        setClickable (true);
        addAndMakeVisible (statusLabel);
        statusLabel.setText (statusText, juce::dontSendNotification);
    }
    else
    {
        setClickable (true);
        updateButtons();
        addAndMakeVisible (statusLabel);
        statusLabel.setText (statusText, juce::dontSendNotification);
    }

    progress = 1.0;
    busy = false;
}

InstallRequest InterfaceComponent::getInstallRequest() const { return installRequest; }

//==============================================================================
juce::String InterfaceComponent::getDisplayName (const juce::String& key)
{
    for (auto& row : displayNames)
        if (key == row.key)
            return row.name;

    for (auto& row : displayNames)
        if (key == row.name)
            return row.key;

    return "Unknown";
}

void InterfaceComponent::updateItems()
{
    removeIfChild (*this, statusLabel);
    productBox.clear (juce::sendNotificationAsync);

    if (productList.isEmpty())
    {
        removeChildComponent (&productBox);
        addAndMakeVisible (productBox);
        updateButtons();
        return;
    }

    int itemId = 1;

    for (auto& name : productList)
    {
        juce::Logger::writeToLog ("<InterfaceComponent::updateItems> combobox update item: " + name);

        if (name.isNotEmpty())
            productBox.addItem (name, itemId);

        ++itemId;
    }

    productBox.setSelectedId (productBox.getItemId (0), juce::sendNotificationAsync);
}

void InterfaceComponent::updateButtons()
{
    auto key = productBox.getText();

    installButtons.clear();
    softwareNames.clear();
    matchedEntries.clear();

    auto types = lookUp (driverTypeLists, key);
    auto entries = lookUp (driverDataLists, key);

    for (auto& type : types)
    {
        juce::Logger::writeToLog ("<InterfaceComponent::updateButtons> looking for: " + type + " " + platform);

        // Only an entry of exactly this key: "nuvo" must not take "nuvomax"'s entry.
        auto entryStart = "<" + type + platform;
        auto* match =
            std::find_if (entries.begin(), entries.end(),
                          [&entryStart] (const juce::String& entry) { return entry.startsWith (entryStart); });

        if (match == entries.end())
            continue;

        juce::Logger::writeToLog ("<InterfaceComponent::updateButtons> found: " + *match);
        matchedEntries.add (*match);

        auto index = installButtons.size();
        auto* button = installButtons.add (new juce::TextButton (type));
        softwareNames.add (getDisplayName (type));

        button->setButtonText (PanelTexts::getInstallButtonText (type, getDisplayName (type), language));

        if (language != "en")
            button->setLookAndFeel (lookAndFeel.get());

        button->setBounds (installButtonX + installButtonStep * index, installButtonY, installButtonWidth,
                           installButtonHeight);
        button->addListener (this);
        addAndMakeVisible (button);
    }

    if (! installButtons.isEmpty())
        setSupportText (PanelTexts::get (PanelTexts::Id::supportFound, language));
    else if (! productList.isEmpty())
        setSupportText (PanelTexts::get (PanelTexts::Id::supportNoSoftware, language));
    else
        setSupportText (PanelTexts::get (PanelTexts::Id::supportNoDevice, language));
}

//==============================================================================
juce::Image InterfaceComponent::loadImage (juce::String productName)
{
    return PictureCache::load (lookUp (pictureUrls, productName), SpecialFolders::getPictureCacheFolder());
}

void InterfaceComponent::setLanguageImage()
{
    languageImage = (language == "en") ? decodeEmbedded (BinaryData::EN_png, BinaryData::EN_pngSize)
                                       : decodeEmbedded (BinaryData::CN_png, BinaryData::CN_pngSize);

    const juce::Colour noTint (juce::Colours::transparentBlack);
    languageButton.setImages (false, true, true, languageImage, 1.0f, noTint, languageImage, 1.0f, noTint,
                              languageImage, 1.0f, noTint, 0.0f);
}

void InterfaceComponent::setClickable (bool shouldTakeClicks)
{
    // Neither the mouse nor the keyboard (Tab, the arrow keys) may change the
    // product or the language while an install is under way.
    for (auto* component :
         { static_cast<juce::Component*> (&languageButton), static_cast<juce::Component*> (&productBox) })
    {
        component->setInterceptsMouseClicks (shouldTakeClicks, shouldTakeClicks);
        component->setWantsKeyboardFocus (shouldTakeClicks);

        if (! shouldTakeClicks && component->hasKeyboardFocus (true))
            component->giveAwayKeyboardFocus();
    }
}

void InterfaceComponent::greyOutSelectedButton()
{
    if (auto* button = installButtons[selectedButtonIndex])
    {
        button->setEnabled (false);
        button->setColour (juce::TextButton::buttonColourId, juce::Colour (greyedOut));
    }
}

void InterfaceComponent::setSupportText (const juce::String& text)
{
    supportLabel.setFont (PanelFonts::forText ("Arial", 16.0f, text));
    supportLabel.setText (text, juce::dontSendNotification);
}
