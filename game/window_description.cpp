#include "game/window_description.h"

#include <stdexcept>

#include "game/form1.h"
#include "platform/form_data.h"
#include "ui/form1_layout.h"

namespace game {

void LoadWindowDescription(Form1& form) {
    const std::optional<platform::FormData> data = platform::FormData::Parse(platform::EmbeddedFormData());
    if (!data) throw std::runtime_error("the game window's description data is damaged");
    ui::LoadForm1Pictures(form.window, [&](const std::string& name) -> std::optional<std::vector<uint8_t>> {
        std::string key = name;
        if (name == "Form1") key = "Form1.Icon";
        else if (name == "autic" || name == "auticl" || name == "auticd") key = name + ".Picture";
        const auto file = data->Picture(key);
        if (!file) return std::nullopt;
        return std::vector<uint8_t>(file->begin(), file->end());
    });
    for (size_t i = 0; i < form.EmbedSound1.size(); ++i)
        if (const auto bag = data->Properties("EmbedSound1(" + std::to_string(i) + ")"))
            form.EmbedSound1[i]->UserControl_ReadProperties(*bag);
}

} // namespace game
