#include "game/window_description.h"

#include <cmath>
#include <stdexcept>
#include <variant>

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
    // A sprite's saved extent is in hundredths of a millimetre; the window places
    // it on whole pixels.
    for (ui::Element* sprite : {&form.autic, &form.auticl, &form.auticd}) {
        const auto bag = data->Properties(sprite->name);
        if (!bag) continue;
        auto twips = [&](const char* key, double fallback) {
            const auto v = bag->ReadProperty(key, static_cast<int32_t>(0));
            const int32_t extent = std::holds_alternative<int32_t>(v) ? std::get<int32_t>(v) : 0;
            if (extent <= 0) return fallback;
            return std::round(extent * 1440.0 / 2540.0 / ui::kTwipsPerPixel) * ui::kTwipsPerPixel;
        };
        sprite->widthTw = twips("_ExtentX", sprite->widthTw);
        sprite->heightTw = twips("_ExtentY", sprite->heightTw);
    }
    for (size_t i = 0; i < form.EmbedSound1.size(); ++i)
        if (const auto bag = data->Properties("EmbedSound1(" + std::to_string(i) + ")"))
            form.EmbedSound1[i]->UserControl_ReadProperties(*bag);
}

} // namespace game
