// The framework's own empty window, started the way the program starts its window,
// as the reference that start-up and idle time are measured against.

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
class EmptyWindowApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Empty Window"; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override { mainWindow = std::make_unique<MainWindow> (getApplicationName()); }
    void shutdown() override { mainWindow = nullptr; }
    void systemRequestedQuit() override { quit(); }
    void anotherInstanceStarted (const juce::String&) override {}

    //==============================================================================
    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow (const juce::String& title)
            : DocumentWindow (title,
                              juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (
                                  juce::ResizableWindow::backgroundColourId),
                              DocumentWindow::allButtons)
        {
            setUsingNativeTitleBar (true);
            setContentOwned (new Content(), true);
            setResizable (true, true);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }

    private:
        struct Content : public juce::Component
        {
            Content() { setSize (600, 400); }
            void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::black); }
        };

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

private:
    std::unique_ptr<MainWindow> mainWindow;
};

//==============================================================================
START_JUCE_APPLICATION (EmptyWindowApplication)
