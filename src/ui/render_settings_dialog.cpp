#include "ui/render_settings_dialog.h"

#include "model/cp932.h"
#include "model/render_settings.h"
#include "platform/platform.h"
#include "ui/text_dialog.h"
#include "ui/value_dialogs.h"

namespace marquetta {
namespace {

struct Season {
    const char* name;
    double declination;
};
// The solstices are taken at 30 degrees.
constexpr Season kSeasons[] = {{"なし", -1.0}, {"春分，秋分", 0.0}, {"夏至", 30.0}, {"冬至", -30.0}};

constexpr const char* kSunGroup = "太陽の位置";

// The drawing keeps the sky and the ground in CP932.
std::string& StoredTexture(size_t field) {
    return field == kSkyField ? g_skyTexture : g_groundTexture;
}

// Whether the user changed the text the dialog showed: an untouched texture keeps its
// bytes, also those that do not read as CP932.
bool TextureChanged(const std::vector<DialogField>& fields, size_t field) {
    return fields[field].text != Cp932ToUtf8(StoredTexture(field));
}

DialogField Combo(std::string label, std::string text, std::vector<std::string> choices) {
    DialogField field;
    field.kind = DialogField::Kind::ComboBox;
    field.label = std::move(label);
    field.text = std::move(text);
    field.choices = std::move(choices);
    return field;
}

DialogField SpinEdit(std::string label, std::string text, int low, int high,
                       std::string note = {}) {
    DialogField field;
    field.kind = DialogField::Kind::Edit;
    field.label = std::move(label);
    field.text = std::move(text);
    field.note = std::move(note);
    field.group = kSunGroup;
    field.spin = SpinRange{low, high};
    return field;
}

}  // namespace

double SeasonDeclination(const std::string& text) {
    double declination = -1.0;
    for (const Season& season : kSeasons) {
        if (text == season.name) {
            declination = season.declination;
        }
    }
    return declination;
}

std::string SeasonName(double declination) {
    for (const Season& season : kSeasons) {
        if (declination == season.declination) {
            return season.name;
        }
    }
    return std::string();
}

RenderSettingsDialog::RenderSettingsDialog() {
    m_fields.push_back(Combo("空", Cp932ToUtf8(g_skyTexture),
                             {"S_Cloud1", "S_Cloud2", "S_Cloud3", "S_Cloud4", "S_Cloud5",
                              "pigment {P_Cloud1}", "pigment {P_Cloud2}", "pigment {P_Cloud3}",
                              "pigment {Blue_Sky} ", "pigment { Bright_Blue_Sky} ",
                              "pigment { Blue_Sky2} ", "pigment { Blue_Sky3} ",
                              "pigment { Blood_Sky} ", "pigment { Apocalypse} ",
                              "pigment { Clouds} "}));
    m_fields.push_back(Combo("地面", Cp932ToUtf8(g_groundTexture),
                             {"pigment { color White } finish { reflection 0.3 }",
                              "pigment { checker color White, color Black } scale 300"}));
    m_fields.push_back(SpinEdit("真北（度）", FormatTruncated(g_sunNorth), kMinNorth, kMaxNorth,
                                  "（北から反時計回り）"));
    m_fields.push_back(SpinEdit("緯度（度）", FormatDialogDouble(g_sunLatitude), kMinLatitude,
                                  kMaxLatitude));
    m_fields.push_back(SpinEdit("時間（時）", FormatDialogDouble(g_sunHour), kMinHour, kMaxHour,
                                  "（0～24時）"));
    std::vector<std::string> seasons;
    for (const Season& season : kSeasons) {
        seasons.push_back(season.name);
    }
    m_fields.push_back(Combo("季節", SeasonName(g_sunSeason), std::move(seasons)));
}

std::optional<DialogRefusal> RenderSettingsDialog::Validate() {
    // The sky and the ground take any text CP932 can hold, the season any text; the
    // numbers are checked in the order of the fields' exchange: north, latitude, hour.
    for (const size_t field : {kSkyField, kGroundField}) {
        if (TextureChanged(m_fields, field)) {
            if (auto refusal = RefuseCharactersOutsideCp932(m_fields[field].text, field)) {
                return refusal;
            }
        }
    }
    int north = 0;
    double latitude = 0.0;
    double hour = 0.0;
    if (auto refusal = ReadIntegerField(m_fields, kNorthField, kMinNorth, kMaxNorth, north)) {
        return refusal;
    }
    if (auto refusal =
            ReadNumberField(m_fields, kLatitudeField, kMinLatitude, kMaxLatitude, latitude)) {
        return refusal;
    }
    if (auto refusal = ReadNumberField(m_fields, kHourField, kMinHour, kMaxHour, hour)) {
        return refusal;
    }
    m_north = north;
    m_latitude = latitude;
    m_hour = hour;
    return std::nullopt;
}

void RenderSettingsDialog::Store() const {
    for (const size_t field : {kSkyField, kGroundField}) {
        if (TextureChanged(m_fields, field)) {
            StoredTexture(field) = Utf8ToCp932(m_fields[field].text);
        }
    }
    g_sunNorth = m_north;
    g_sunLatitude = m_latitude;
    g_sunHour = m_hour;
    g_sunSeason = SeasonDeclination(m_fields[kSeasonField].text);
}

bool RunRenderSettingsDialog() {
    RenderSettingsDialog dialog;
    if (!CurrentPlatform().RunDialog(dialog)) {
        return false;
    }
    dialog.Store();
    return true;
}

}  // namespace marquetta
