#include <gtest/gtest.h>

#include "support/Printers.h"

#include "support/InterfaceComponentInspector.h"
#include "support/LogCapture.h"
#include "support/MessageLoop.h"
#include "ui/InterfaceComponent.h"
#include "ui/PanelFonts.h"

namespace
{
    const juce::String base ("https://dl.example/brelvox");

    juce::String utf8 (const char* text) { return juce::String::fromUTF8 (text); }

    // One product with the given keys and entries, ready for setProductData.
    ProductData productWith (const juce::String& name, const juce::StringArray& keys, const juce::StringArray& entries)
    {
        ProductData data;
        data.productList.add (name);
        data.driverTypeLists[name] = keys;
        data.driverDataLists[name] = entries;
        return data;
    }

    struct ChangeCounter : public juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
        int count = 0;
    };

    struct PanelFixture : public testing::Test
    {
        PanelFixture()
        {
            PanelFonts::installAsDesktopDefault (desktopLookAndFeel);
            panel.setSize (600, 400);
            panel.addChangeListener (&changes);
        }

        ~PanelFixture() override
        {
            panel.removeChangeListener (&changes);
            juce::Desktop::getInstance().setDefaultLookAndFeel (nullptr);
        }

        // Hands the panel its products and lets the selector's notification arrive.
        void show (const ProductData& data, const juce::String& platform = "win64")
        {
            inspect.setPlatform (platform);
            panel.setProductData (data);
            runMessageLoopFor (50);
        }

        void click (juce::Button& button)
        {
            button.triggerClick();
            runMessageLoopFor (50);
        }

        juce::StringArray buttonTexts()
        {
            juce::StringArray texts;
            for (auto* b : inspect.buttons())
                texts.add (b->getButtonText());
            return texts;
        }

        CustomLookAndFeel desktopLookAndFeel;
        InterfaceComponent panel;
        InterfaceComponentInspector inspect{ panel };
        ChangeCounter changes;
        LogCapture log;
    };

    const ProductData echoAndTuneway = productWith (
        "Q2", { "tw4", "echodeck" },
        { "<tw4win64cn>" + base + "/tw4/Tuneway 4.exe", "<echodeckwin64/win32cn/en>" + base + "/Echo Deck Setup.zip" });
}

TEST_F (PanelFixture, StartsInChineseWithNothingBelowTheSelector)
{
    EXPECT_EQ (inspect.productLabel().getText(), utf8 ("产品型号"));
    EXPECT_EQ (inspect.productBox().getNumItems(), 0);
    EXPECT_TRUE (inspect.buttons().isEmpty());
    EXPECT_FALSE (inspect.shows (inspect.statusLabel()));
    EXPECT_FALSE (inspect.shows (inspect.progressBar()));
}

TEST_F (PanelFixture, PlacesItsPartsByTheLayoutTable)
{
    struct Case
    {
        const char* name;
        juce::Component& component;
        juce::Rectangle<int> bounds;
    };

    for (int width : { 600, 800 })
    {
        panel.setSize (width, 400);

        const Case cases[] = {
            { "language button", inspect.languageButton(), { width - 40, 0, 40, 30 } },
            { "product caption", inspect.productLabel(), { 30, 60, 80, 30 } },
            { "support line", inspect.supportLabel(), { 30, 250, 540, 30 } },
            { "product box", inspect.productBox(), { 110, 60, 200, 30 } },
            { "progress bar", inspect.progressBar(), { 20, 350, 560, 30 } },
            { "status line", inspect.statusLabel(), { 30, 350, 580, 30 } },
        };

        for (auto& c : cases)
            EXPECT_EQ (c.component.getBounds(), c.bounds) << c.name << " at width " << width;
    }
}

TEST_F (PanelFixture, BuildsOneButtonPerKeyWithAnEntryForThePlatform)
{
    show (echoAndTuneway);

    EXPECT_EQ (buttonTexts(), juce::StringArray (utf8 ("安装 Tuneway 4"), utf8 ("安装 Echo Deck")));
    EXPECT_EQ (inspect.buttons()[0]->getBounds(), juce::Rectangle<int> (40, 290, 120, 30));
    EXPECT_EQ (inspect.buttons()[1]->getBounds(), juce::Rectangle<int> (180, 290, 120, 30));
    EXPECT_EQ (inspect.supportLabel().getText(), utf8 ("当前设备支持："));

    show (echoAndTuneway, "win32");
    EXPECT_TRUE (inspect.buttons().isEmpty()) << "win32 entries only match win32";
    EXPECT_EQ (inspect.supportLabel().getText(), utf8 ("未找到适配的软件"));
}

TEST_F (PanelFixture, MatchesAKeyOnlyToItsOwnEntries)
{
    const juce::String nuvoMax = "<nuvomaxwin64cn>" + base + "/max.zip";
    const juce::String nuvo = "<nuvowin64cn>" + base + "/nuvo.zip";

    for (auto& entries : { juce::StringArray{ nuvoMax, nuvo }, juce::StringArray{ nuvo, nuvoMax } })
    {
        show (productWith ("Q", { "nuvo", "nuvomax" }, entries));

        EXPECT_EQ (inspect.softwareNames(), juce::StringArray ("Nuvo", "Nuvo Max"));
        EXPECT_EQ (inspect.matchedEntries(), juce::StringArray (nuvo, nuvoMax));
        EXPECT_EQ (buttonTexts(), juce::StringArray (utf8 ("安装 Nuvo"), utf8 ("安装 Nuvo Max 专业版")));
    }
}

TEST_F (PanelFixture, GivesItemIdsByPositionAndSkipsEmptyNames)
{
    ProductData data;
    data.productList = { "Nuvo Max", "", "Nuvo Lite" };
    show (data);

    ASSERT_EQ (inspect.productBox().getNumItems(), 2);
    EXPECT_EQ (inspect.productBox().getItemId (0), 1);
    EXPECT_EQ (inspect.productBox().getItemId (1), 3);
    EXPECT_EQ (inspect.productBox().getText(), "Nuvo Max");

    ProductData onlyEmpty;
    onlyEmpty.productList = { "" };
    show (onlyEmpty);
    EXPECT_EQ (inspect.productBox().getNumItems(), 0);

    show ({});
    EXPECT_EQ (inspect.supportLabel().getText(), utf8 ("未检测到设备。请检查声卡与电脑的连接。"));
}

TEST_F (PanelFixture, FillsTheInstallRequestFromTheClickedButton)
{
    struct Case
    {
        const char* name;
        juce::String key, entry, area, expectedUrl;
        bool expectedSkip;
    };

    const Case cases[] = {
        { "spaces encoded", "echodeck", "<echodeckwin64/win32cn/en>" + base + "/Echo Deck Setup.zip", "cn",
          base + "/Echo%20Deck%20Setup.zip", false },
        { "Nuvo Max in area en skips the dialog", "nuvomax", "<nuvomaxwin64en>" + base + "/max.zip", "en",
          base + "/max.zip", true },
        { "Nuvo Max in area cn drives the dialog", "nuvomax", "<nuvomaxwin64cn>" + base + "/max.zip", "cn",
          base + "/max.zip", false },
    };

    for (auto& c : cases)
    {
        show (productWith ("Q2", { c.key }, { c.entry }));
        inspect.setArea (c.area);
        changes.count = 0;

        click (*inspect.buttons()[0]);

        auto request = panel.getInstallRequest();
        EXPECT_EQ (request.product, "Q2") << c.name;
        EXPECT_EQ (request.softwareName, InterfaceComponent::getDisplayName (c.key)) << c.name;
        EXPECT_EQ (request.area, c.area) << c.name;
        EXPECT_EQ (request.language, "cn") << c.name;
        EXPECT_EQ (request.url, c.expectedUrl) << c.name;
        EXPECT_EQ (request.skipDialogAutomation, c.expectedSkip) << c.name;
        EXPECT_EQ (changes.count, 1) << c.name;

        panel.showStatus ("Install error");
    }
}

TEST_F (PanelFixture, IgnoresEveryClickWhileBusy)
{
    show (echoAndTuneway);
    click (*inspect.buttons()[0]);
    ASSERT_TRUE (inspect.isBusy());
    auto messagesBefore = log.getMessages().size();

    panel.buttonClicked (inspect.buttons()[1]);
    panel.buttonClicked (&inspect.languageButton());
    runMessageLoopFor (50);

    EXPECT_EQ (changes.count, 1);
    EXPECT_EQ (log.getMessages().size(), messagesBefore);
    EXPECT_EQ (inspect.getLanguage(), "cn");
    EXPECT_TRUE (inspect.buttons()[1]->isEnabled());
}

TEST_F (PanelFixture, KeepsTheKeyboardFromTheSelectorAndLanguageWhileBusy)
{
    // What Tab can move to is what the keyboard can reach.
    auto reachableByKeyboard = [this]
    {
        auto components = panel.createKeyboardFocusTraverser()->getAllComponents (&panel);
        return std::make_pair (
            std::find (components.begin(), components.end(), &inspect.productBox()) != components.end(),
            std::find (components.begin(), components.end(), &inspect.languageButton()) != components.end());
    };

    show (echoAndTuneway);
    EXPECT_EQ (reachableByKeyboard(), std::make_pair (true, true));

    click (*inspect.buttons()[0]);
    EXPECT_EQ (reachableByKeyboard(), std::make_pair (false, false));

    panel.showStatus ("Installed");
    EXPECT_EQ (reachableByKeyboard(), std::make_pair (true, true));
}

TEST_F (PanelFixture, FollowsTheStatusWordsOfOneInstall)
{
    show (echoAndTuneway);
    auto& clicked = *inspect.buttons()[1];
    click (clicked);

    EXPECT_FALSE (clicked.isEnabled());
    EXPECT_EQ (clicked.findColour (juce::TextButton::buttonColourId), juce::Colour (0xFF555555));
    EXPECT_FALSE (inspect.takesClicks (inspect.languageButton()));
    EXPECT_FALSE (inspect.takesClicks (inspect.productBox()));

    panel.showStatus ("45.3% 2MB/s");
    EXPECT_DOUBLE_EQ (inspect.getProgress(), 0.453);
    EXPECT_TRUE (inspect.shows (inspect.progressBar()));
    EXPECT_FALSE (inspect.shows (inspect.statusLabel()));
    EXPECT_TRUE (inspect.isBusy());

    panel.showStatus ("Downloaded");
    EXPECT_EQ (inspect.statusLabel().getText(), utf8 ("下载完成，等待安装中..."));
    EXPECT_FALSE (inspect.shows (inspect.progressBar()));
    EXPECT_TRUE (inspect.shows (inspect.statusLabel()));
    EXPECT_FALSE (inspect.isBusy());
    EXPECT_FALSE (inspect.takesClicks (inspect.languageButton()));

    panel.showStatus ("Installed");
    EXPECT_EQ (inspect.statusLabel().getText(), utf8 ("安装成功"));
    EXPECT_TRUE (inspect.takesClicks (inspect.languageButton()));
    EXPECT_TRUE (inspect.takesClicks (inspect.productBox()));
    EXPECT_FALSE (clicked.isEnabled()) << "the clicked button stays grey after Installed";
    EXPECT_DOUBLE_EQ (inspect.getProgress(), 1.0);
}

TEST_F (PanelFixture, ShowsFailureWordsAndFreesThePanel)
{
    struct Case
    {
        const char* word;
        const char* chinese;
        const char* english;
    };

    const Case cases[] = {
        { "Install error", "安装异常...", "Installation exception..." },
        { "Software exist", "如需再次安装，请关掉现有程序",
          "If you need to reinstall, please close the current program." },
        { "Download error", "服务器异常...", "Server error..." },
        { "Download failed", "服务器异常...", "Server error..." },
    };

    for (auto& c : cases)
    {
        for (auto english : { false, true })
        {
            show (echoAndTuneway);

            if (english != (inspect.getLanguage() == "en"))
                click (inspect.languageButton());

            click (*inspect.buttons()[0]);
            panel.showStatus ("12.5% 3KB/s");
            panel.showStatus (c.word);

            EXPECT_EQ (inspect.statusLabel().getText(), english ? juce::String (c.english) : utf8 (c.chinese))
                << c.word;
            EXPECT_TRUE (inspect.shows (inspect.statusLabel())) << c.word;
            EXPECT_TRUE (inspect.shows (inspect.progressBar())) << c.word << ": the full bar stays behind the text";
            EXPECT_DOUBLE_EQ (inspect.getProgress(), 1.0);
            EXPECT_FALSE (inspect.isBusy());
            EXPECT_TRUE (inspect.takesClicks (inspect.languageButton()));
            EXPECT_TRUE (inspect.buttons()[0]->isEnabled()) << c.word << ": buttons rebuilt";
        }
    }
}

TEST_F (PanelFixture, SwitchesEveryTextToTheOtherLanguage)
{
    ProductData data =
        productWith ("Q", { "nuvomax", "nuvolite", "nuvo", "mystery" },
                     { "<nuvomaxwin64cn>a", "<nuvolitewin64cn>b", "<nuvowin64cn>c", "<mysterywin64cn>d" });
    show (data);
    panel.showStatus ("Install error");

    click (inspect.languageButton());

    EXPECT_EQ (inspect.getLanguage(), "en");
    EXPECT_EQ (inspect.productLabel().getText(), "Product");
    EXPECT_EQ (inspect.supportLabel().getText(), "Current device support:");
    EXPECT_EQ (buttonTexts(),
               juce::StringArray ("Install Nuvo Max", "Install Nuvo Lite", "Install Nuvo", "Install Unknown"));
    EXPECT_FALSE (inspect.shows (inspect.statusLabel()));

    show ({});
    EXPECT_EQ (inspect.supportLabel().getText(),
               "No device detected. Please check the connection between the sound card and the computer.");
    show (productWith ("Q", {}, {}));
    EXPECT_EQ (inspect.supportLabel().getText(), "No compatible software was found.");

    click (inspect.languageButton());
    show (data);
    EXPECT_EQ (inspect.productLabel().getText(), utf8 ("产品型号"));
    EXPECT_EQ (buttonTexts(), juce::StringArray (utf8 ("安装 Nuvo Max 专业版"), utf8 ("安装 Nuvo Lite 精装版"),
                                                 utf8 ("安装 Nuvo"), utf8 ("安装 Unknown")));
}

TEST (DisplayNames, LookUpBothWays)
{
    const std::pair<const char*, const char*> cases[] = {
        { "nuvomax", "Nuvo Max" }, { "nuvolite", "Nuvo Lite" }, { "nuvo", "Nuvo" },
        { "tw4", "Tuneway 4" },    { "echodeck", "Echo Deck" }, { "Echo Deck", "echodeck" },
        { "Tuneway 4", "tw4" },    { "NUVO", "Unknown" },       { "", "Unknown" },
    };

    for (auto& [key, expected] : cases)
        EXPECT_EQ (InterfaceComponent::getDisplayName (key), expected) << key;
}
