#include <juce_gui_basics/juce_gui_basics.h>

#include "FileLogger.h"
#include "WineRepaintPump.h"
#include "../controller/MainComponent.h"
#include "../platform/LibrarySearch.h"
#include "../platform/SpecialFolders.h"

//==============================================================================
class kestrin_1Application : public juce::JUCEApplication
{
public:
    kestrin_1Application() = default;

    const juce::String getApplicationName() override { return "Quenz Install 1.0.10"; }
    const juce::String getApplicationVersion() override { return "1.0.10"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override
    {
        auto logFile = SpecialFolders::getRoamingAppDataFolder()
                           .getChildFile ("Brelvox")
                           .getChildFile ("QuenzInstall")
                           .getChildFile ("runtimeLog.txt");

        logger = std::make_unique<FileLogger> (
            logFile, "Application started at " + juce::Time::getCurrentTime().toString (true, true, true, false));
        juce::Logger::setCurrentLogger (logger.get());

        if (! LibrarySearch::isLimitedToSystemFolder())
            juce::Logger::writeToLog ("<Main> libraries are not looked for in the system folder only");

        // The content fetches the catalogue before the window is made, so that the
        // window shows once, with the panel in it.
        auto content = std::make_unique<MainComponent>();
        mainWindow = std::make_unique<MainWindow> (getApplicationName(), std::move (content));
    }

    void shutdown() override
    {
        juce::Logger::setCurrentLogger (nullptr);
        mainWindow = nullptr;

        // Only the message thread logs, so nothing can still be writing to it.
        logger = nullptr;
    }

    void systemRequestedQuit() override { quit(); }

    void anotherInstanceStarted (const juce::String&) override {}

    //==============================================================================
    class MainWindow : public juce::DocumentWindow
    {
    public:
        MainWindow (const juce::String& title, std::unique_ptr<MainComponent> content)
            : DocumentWindow (title,
                              juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (
                                  juce::ResizableWindow::backgroundColourId),
                              DocumentWindow::allButtons)
        {
            setUsingNativeTitleBar (true);
            setContentOwned (content.release(), true);
            setResizable (true, true);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }

    private:
        WineRepaintPump repaintPump;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

private:
    std::unique_ptr<FileLogger> logger;
    std::unique_ptr<MainWindow> mainWindow;
};

//==============================================================================
START_JUCE_APPLICATION (kestrin_1Application)
