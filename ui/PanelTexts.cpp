#include "PanelTexts.h"

namespace
{
    struct Texts
    {
        PanelTexts::Id id;
        const char* english;
        const char16_t* chinese;
    };

    // Full-width comma, colon and ideographic full stop as the panel shows them.
    const Texts texts[] = {
        { PanelTexts::Id::productCaption, "Product", u"产品型号" },
        { PanelTexts::Id::supportFound, "Current device support:", u"当前设备支持：" },
        { PanelTexts::Id::supportNoSoftware, "No compatible software was found.", u"未找到适配的软件" },
        { PanelTexts::Id::supportNoDevice,
          "No device detected. Please check the connection between the sound card and the computer.",
          u"未检测到设备。请检查声卡与电脑的连接。" },
        { PanelTexts::Id::statusDownloaded, "Download completed, waiting for installation...",
          u"下载完成，等待安装中..." },
        { PanelTexts::Id::statusInstalled, "install successfully", u"安装成功" },
        { PanelTexts::Id::statusInstallError, "Installation exception...", u"安装异常..." },
        { PanelTexts::Id::statusSoftwareExist, "If you need to reinstall, please close the current program.",
          u"如需再次安装，请关掉现有程序" },
        { PanelTexts::Id::statusServerError, "Server error...", u"服务器异常..." },
    };

    struct StatusWord
    {
        const char* word;
        PanelTexts::Id id;
    };

    const StatusWord statusWords[] = {
        { "Downloaded", PanelTexts::Id::statusDownloaded },
        { "Installed", PanelTexts::Id::statusInstalled },
        { "Install error", PanelTexts::Id::statusInstallError },
        { "Software exist", PanelTexts::Id::statusSoftwareExist },
    };

    struct ButtonSuffix
    {
        const char* key;
        const char16_t* chineseSuffix;
    };

    const ButtonSuffix buttonSuffixes[] = {
        { "nuvomax", u" 专业版" },
        { "nuvolite", u" 精装版" },
    };

}

juce::String PanelTexts::get (Id id, const juce::String& language)
{
    for (auto& entry : texts)
        if (entry.id == id)
            return language == "en" ? juce::String (entry.english) : fromUtf16 (entry.chinese);

    jassertfalse;
    return {};
}

juce::String PanelTexts::getInstallButtonText (const juce::String& key, const juce::String& displayName,
                                               const juce::String& language)
{
    if (language == "en")
        return "Install " + displayName;

    auto text = fromUtf16 (u"安装 ") + displayName;

    for (auto& suffix : buttonSuffixes)
        if (key == suffix.key)
            text << fromUtf16 (suffix.chineseSuffix);

    return text;
}

juce::String PanelTexts::getStatusText (const juce::String& statusWord, const juce::String& language)
{
    for (auto& entry : statusWords)
        if (statusWord == entry.word)
            return get (entry.id, language);

    return get (Id::statusServerError, language);
}

juce::String PanelTexts::fromUtf16 (const char16_t* text)
{
    return juce::String (juce::CharPointer_UTF16 (reinterpret_cast<const juce::CharPointer_UTF16::CharType*> (text)));
}
