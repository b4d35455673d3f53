#include "CompanionLaunch.h"

#include "../platform/SpecialFolders.h"
#include "../platform/UserProcess.h"
#include "../ui/PanelTexts.h"

namespace
{
    struct Companion
    {
        const char* softwareName;
        const char* folder;
        const char* executable;
    };

    const Companion companions[] = {
        { "Tuneway 4", "Tuneway", "Tuneway" },
        { "Echo Deck", "Echo Deck", "Echo-Deck" },
    };

}

juce::File CompanionLaunch::findExecutable (const juce::String& softwareName)
{
    juce::String folder (softwareName), executable (softwareName);

    for (auto& companion : companions)
    {
        if (softwareName == companion.softwareName)
        {
            folder = companion.folder;
            executable = companion.executable;
        }
    }

    const juce::File bases[] = { SpecialFolders::getProgramFilesFolder(), SpecialFolders::getProgramFilesX86Folder(),
                                 SpecialFolders::getRoamingAppDataFolder() };

    juce::File candidate;

    for (auto& base : bases)
    {
        candidate = base.getChildFile ("Brelvox").getChildFile (folder).getChildFile (executable + ".exe");

        if (candidate.existsAsFile())
            break;
    }

    return candidate;
}

void CompanionLaunch::offer (const InstallRequest& request, juce::Component* associatedComponent)
{
    auto upperExe = findExecutable (request.softwareName);

    if (! upperExe.existsAsFile())
    {
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> can't find upperExe:" +
                                  upperExe.getFullPathName());
        return;
    }

    juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> upper founded!");

    auto english = request.language == "en";
    auto message = english ? request.softwareName + " is ready!\n\nDo you want to launch it?"
                           : request.softwareName + PanelTexts::fromUtf16 (u" 已就绪！\n\n是否直接打开？");

    juce::AlertWindow::showOkCancelBox (
        english ? juce::MessageBoxIconType::QuestionIcon : juce::MessageBoxIconType::InfoIcon, " ", message,
        english ? juce::String ("Yes") : PanelTexts::fromUtf16 (u"是"),
        english ? juce::String ("No") : PanelTexts::fromUtf16 (u"否"), associatedComponent,
        juce::ModalCallbackFunction::create (
            [upperExe] (int result)
            {
                // Never with this program's administrator rights: the companion
                // may lie where the user can write.
                if (result == 1 && upperExe.existsAsFile() && ! UserProcess::startAsSignedInUser (upperExe))
                    juce::Logger::writeToLog ("<CompanionLaunch> cannot start " + upperExe.getFullPathName() +
                                              " as the signed-in user: not started");
            }));
}
