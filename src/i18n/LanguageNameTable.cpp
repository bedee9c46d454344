#include "i18n/LanguageNameTable.h"

#include "platform/ui/MessageBox.h"

namespace i18n {

// Names exactly as language files have been named, odd spellings included
// ("English_United_Kingdom)", "Spanish_United States").
const std::array<LanguageName, kLanguageNameCount> kLanguageNameTable = {{
    {0x0036, "Afrikaans", "AFK", "af_ZA"},
    {0x0436, "Afrikaans_South_Africa", "AFK", "af_ZA"},
    {0x001C, "Albanian", "SQI", "sq_AL"},
    {0x041C, "Albanian_Albania", "SQI", "sq_AL"},
    {0x0484, "Alsatian_France", "GSW", "gsw_FR"},
    {0x045E, "Amharic_Ethiopia", "AMH", "am_ET"},
    {0x0001, "Arabic", "ARA", "ar_SA"},
    {0x1401, "Arabic_Algeria", "ARG", "ar_DZ"},
    {0x3C01, "Arabic_Bahrain", "ARH", "ar_BH"},
    {0x0C01, "Arabic_Egypt", "ARE", "ar_EG"},
    {0x0801, "Arabic_Iraq", "ARI", "ar_IQ"},
    {0x2C01, "Arabic_Jordan", "ARJ", "ar_JO"},
    {0x3401, "Arabic_Kuwait", "ARK", "ar_KW"},
    {0x3001, "Arabic_Lebanon", "ARB", "ar_LB"},
    {0x1001, "Arabic_Libya", "ARL", "ar_LY"},
    {0x1801, "Arabic_Morocco", "ARM", "ar_MA"},
    {0x2001, "Arabic_Oman", "ARO", "ar_OM"},
    {0x4001, "Arabic_Qatar", "ARQ", "ar_QA"},
    {0x0401, "Arabic_Saudi_Arabia", "ARA", "ar_SA"},
    {0x2801, "Arabic_Syria", "ARS", "ar_SY"},
    {0x1C01, "Arabic_Tunisia", "ART", "ar_TN"},
    {0x3801, "Arabic_UAE", "ARU", "ar_AE"},
    {0x2401, "Arabic_Yemen", "ARY", "ar_YE"},
    {0x002B, "Armenian", "HYE", "hy_AM"},
    {0x042B, "Armenian_Armenia", "HYE", "hy_AM"},
    {0x044D, "Assamese_India", "ASM", "as_IN"},
    {0x002C, "Azeri", "AZE", "az_AZ"},
    {0x082C, "Azeri_Cyrillic_Azerbaijan", "AZC", "az_AZ"},
    {0x042C, "Azeri_Latin_Azerbaijan", "AZE", "az_AZ"},
    {0x046D, "Bashkir_Russia", "BAS", "ba_RU"},
    {0x002D, "Basque", "EUQ", "eu_ES"},
    {0x042D, "Basque_Basque", "EUQ", "eu_ES"},
    {0x0023, "Belarusian", "BEL", "be_BY"},
    {0x0423, "Belarusian_Belarus", "BEL", "be_BY"},
    {0x0845, "Bengali_Bangladesh", "BNB", "bn_BD"},
    {0x0445, "Bengali_India", "BNG", "bn_IN"},
    {0x201A, "Bosnian_Cyrillic_Bosnia_and_Herzegovina", "BSC", "bs_BA"},
    {0x141A, "Bosnian_Latin_Bosnia_and_Herzegovina", "BSB", "bs_BA"},
    {0x047E, "Breton_France", "BRE", "br_FR"},
    {0x0002, "Bulgarian", "BGR", "bg_BG"},
    {0x0402, "Bulgarian_Bulgaria", "BGR", "bg_BG"},
    {0x0003, "Catalan", "CAT", "ca_ES"},
    {0x0403, "Catalan_Catalan", "CAT", "ca_ES"},
    {0x0C04, "Chinese_Hong_Kong_SAR", "ZHH", "zh_HK"},
    {0x1404, "Chinese_Macao_SAR", "ZHM", "zh_MO"},
    {0x0804, "Chinese_Peoples_Republic_of_China", "CHS", "zh_CN"},
    {0x0004, "Chinese_Simplified", "CHS", "zh_CN"},
    {0x1004, "Chinese_Singapore", "ZHI", "zh_SG"},
    {0x0404, "Chinese_Taiwan", "CHT", "zh_TW"},
    {0x7C04, "Chinese_Traditional", "CHT", "zh_TW"},
    {0x0483, "Corsican_France", "COS", "co_FR"},
    {0x001A, "Croatian", "HRV", "hr_HR"},
    {0x041A, "Croatian_Croatia", "HRV", "hr_HR"},
    {0x101A, "Croatian_Latin_Bosnia_and_Herzegovina", "HRB", "hr_BA"},
    {0x0005, "Czech", "CSY", "cs_CZ"},
    {0x0405, "Czech_Czech_Republic", "CSY", "cs_CZ"},
    {0x0006, "Danish", "DAN", "da_DK"},
    {0x0406, "Danish_Denmark", "DAN", "da_DK"},
    {0x048C, "Dari_Afghanistan", "PRS", "fa_AF"},
    {0x0065, "Divehi", "DIV", "dv_MV"},
    {0x0465, "Divehi_Maldives", "DIV", "dv_MV"},
    {0x0013, "Dutch", "NLD", "nl_NL"},
    {0x0813, "Dutch_Belgium", "NLB", "nl_BE"},
    {0x0413, "Dutch_Netherlands", "NLD", "nl_NL"},
    {0x0009, "English", "ENU", "en_US"},
    {0x0C09, "English_Australia", "ENA", "en_AU"},
    {0x2809, "English_Belize", "ENL", "en_BZ"},
    {0x1009, "English_Canada", "ENC", "en_CA"},
    {0x2409, "English_Caribbean", "ENB", "en_AG"},
    {0x4009, "English_India", "ENN", "en_IN"},
    {0x1809, "English_Ireland", "ENI", "en_IE"},
    {0x2009, "English_Jamaica", "ENJ", "en_JM"},
    {0x4409, "English_Malaysia", "ENM", "en_MY"},
    {0x1409, "English_New_Zealand", "ENZ", "en_NZ"},
    {0x3409, "English_Republic_of_the_Philippines", "ENP", "en_PH"},
    {0x4809, "English_Singapore", "ENE", "en_SG"},
    {0x1C09, "English_South_Africa", "ENS", "en_ZA"},
    {0x2C09, "English_Trinidad_and_Tobago", "ENT", "en_TT"},
    {0x0809, "English_United_Kingdom)", "ENG", "en_GB"},
    {0x0409, "English_United_States", "ENU", "en_US"},
    {0x3009, "English_Zimbabwe", "ENW", "en_ZW"},
    {0x0025, "Estonian", "ETI", "et_EE"},
    {0x0425, "Estonian_Estonia", "ETI", "et_EE"},
    {0x0038, "Faroese", "FOS", "fo_FO"},
    {0x0438, "Faroese_Faroe_Islands", "FOS", "fo_FO"},
    {0x0464, "Filipino_Philippines", "FPO", "fil_PH"},
    {0x000B, "Finnish", "FIN", "fi_FI"},
    {0x040B, "Finnish_Finland", "FIN", "fi_FI"},
    {0x000C, "French", "FRA", "fr_FR"},
    {0x080C, "French_Belgium", "FRB", "fr_BE"},
    {0x0C0C, "French_Canada", "FRC", "fr_CA"},
    {0x040C, "French_France", "FRA", "fr_FR"},
    {0x140C, "French_Luxembourg", "FRL", "fr_LU"},
    {0x180C, "French_Principality_of_Monaco", "FRM", "fr_MC"},
    {0x100C, "French_Switzerland", "FRS", "fr_CH"},
    {0x0462, "Frisian_Netherlands", "FYN", "fy_NL"},
    {0x0056, "Galician", "GLC", "gl_ES"},
    {0x0456, "Galician_Galician", "GLC", "gl_ES"},
    {0x0037, "Georgian", "KAT", "ka_GE"},
    {0x0437, "Georgian_Georgia", "KAT", "ka_GE"},
    {0x0007, "German", "DEU", "de_DE"},
    {0x0C07, "German_Austria", "DEA", "de_AT"},
    {0x0407, "German_Germany", "DEU", "de_DE"},
    {0x1407, "German_Liechtenstein", "DEC", "de_LI"},
    {0x1007, "German_Luxembourg", "DEL", "de_LU"},
    {0x0807, "German_Switzerland", "DES", "de_CH"},
    {0x0008, "Greek", "ELL", "el_GR"},
    {0x0408, "Greek_Greece", "ELL", "el_GR"},
    {0x046F, "Greenlandic_Greenland", "KAL", "kl_GL"},
    {0x0047, "Gujarati", "GUJ", "gu_IN"},
    {0x0447, "Gujarati_India", "GUJ", "gu_IN"},
    {0x0468, "Hausa_Latin_Nigeria", "HAU", "ha_NG"},
    {0x000D, "Hebrew", "HEB", "he_IL"},
    {0x040D, "Hebrew_Israel", "HEB", "he_IL"},
    {0x0039, "Hindi", "HIN", "hi_IN"},
    {0x0439, "Hindi_India", "HIN", "hi_IN"},
    {0x000E, "Hungarian", "HUN", "hu_HU"},
    {0x040E, "Hungarian_Hungary", "HUN", "hu_HU"},
    {0x000F, "Icelandic", "ISL", "is_IS"},
    {0x040F, "Icelandic_Iceland", "ISL", "is_IS"},
    {0x0470, "Igbo_Nigeria", "IBO", "ig_NG"},
    {0x0021, "Indonesian", "IND", "id_ID"},
    {0x0421, "Indonesian_Indonesia", "IND", "id_ID"},
    {0x085D, "Inuktitut_Latin_Canada", "IUK", "iu_CA"},
    {0x045D, "Inuktitut_Syllabics_Canada", "IUS", "iu_CA"},
    {0x083C, "Irish_Ireland", "IRE", "ga_IE"},
    {0x0434, "isiXhosa_South_Africa", "XHO", "xh_ZA"},
    {0x0435, "isiZulu_South_Africa", "ZUL", "zu_ZA"},
    {0x0010, "Italian", "ITA", "it_IT"},
    {0x0410, "Italian_Italy", "ITA", "it_IT"},
    {0x0810, "Italian_Switzerland", "ITS", "it_CH"},
    {0x0011, "Japanese", "JPN", "ja_JP"},
    {0x0411, "Japanese_Japan", "JPN", "ja_JP"},
    {0x004B, "Kannada", "KDI", "kn_IN"},
    {0x044B, "Kannada_India", "KDI", "kn_IN"},
    {0x003F, "Kazakh", "KKZ", "kk_KZ"},
    {0x043F, "Kazakh_Kazakhstan", "KKZ", "kk_KZ"},
    {0x0453, "Khmer_Cambodia", "KHM", "km_KH"},
    {0x0486, "K_iche_Guatemala", "QUT", "quc_GT"},
    {0x0487, "Kinyarwanda_Rwanda", "KIN", "rw_RW"},
    {0x0041, "Kiswahili", "SWK", "sw_KE"},
    {0x0441, "Kiswahili_Kenya", "SWK", "sw_KE"},
    {0x0057, "Konkani", "KNK", "kok_IN"},
    {0x0457, "Konkani_India", "KNK", "kok_IN"},
    {0x0012, "Korean", "KOR", "ko_KR"},
    {0x0412, "Korean_Korea", "KOR", "ko_KR"},
    {0x0040, "Kyrgyz", "KYR", "ky_KG"},
    {0x0440, "Kyrgyz_Kyrgyzstan", "KYR", "ky_KG"},
    {0x0454, "Lao_Lao_PDR", "LAO", "lo_LA"},
    {0x0026, "Latvian", "LVI", "lv_LV"},
    {0x0426, "Latvian_Latvia", "LVI", "lv_LV"},
    {0x0027, "Lithuanian", "LTH", "lt_LT"},
    {0x0427, "Lithuanian_Lithuania", "LTH", "lt_LT"},
    {0x082E, "Lower_Sorbian_Germany", "DSB", "dsb_DE"},
    {0x046E, "Luxembourgish_Luxembourg", "LBX", "lb_LU"},
    {0x002F, "Macedonian", "MKI", "mk_MK"},
    {0x042F, "Macedonian_Former_Yugoslav_Republic_of_Macedonia", "MKI", "mk_MK"},
    {0x003E, "Malay", "MSL", "ms_MY"},
    {0x083E, "Malay_Brunei_Darussalam", "MSB", "ms_BN"},
    {0x043E, "Malay_Malaysia", "MSL", "ms_MY"},
    {0x044C, "Malayalam_India", "MYM", "ml_IN"},
    {0x043A, "Maltese_Malta", "MLT", "mt_MT"},
    {0x0481, "Maori_New_Zealand", "MRI", "mi_NZ"},
    {0x047A, "Mapudungun_Chile", "MPD", "arn_CL"},
    {0x004E, "Marathi", "MAR", "mr_IN"},
    {0x044E, "Marathi_India", "MAR", "mr_IN"},
    {0x047C, "Mohawk_Mohawk", "MWK", "moh_CA"},
    {0x0050, "Mongolian", "MNN", "mn_MN"},
    {0x0450, "Mongolian_Cyrillic_Mongolia", "MNN", "mn_MN"},
    {0x0850, "Mongolian_Traditional_Mongolian_PRC", "MNG", "mn_CN"},
    {0x0461, "Nepali_Nepal", "NEP", "ne_NP"},
    {0x0014, "Norwegian", "NOR", "nb_NO"},
    {0x0414, "Norwegian_Bokmal_Norway", "NOR", "nb_NO"},
    {0x0814, "Norwegian_Nynorsk_Norway", "NON", "nn_NO"},
    {0x0482, "Occitan_France", "OCI", "oc_FR"},
    {0x0448, "Oriya_India", "ORI", "or_IN"},
    {0x0463, "Pashto_Afghanistan", "PAS", "ps_AF"},
    {0x0029, "Persian", "FAR", "fa_IR"},
    {0x0429, "Persian_Iran", "FAR", "fa_IR"},
    {0x0015, "Polish", "PLK", "pl_PL"},
    {0x0415, "Polish_Poland", "PLK", "pl_PL"},
    {0x0016, "Portuguese", "PTB", "pt_BR"},
    {0x0416, "Portuguese_Brazil", "PTB", "pt_BR"},
    {0x0816, "Portuguese_Portugal", "PTG", "pt_PT"},
    {0x0046, "Punjabi", "PAN", "pa_IN"},
    {0x0446, "Punjabi_India", "PAN", "pa_IN"},
    {0x046B, "Quechua_Bolivia", "QUB", "quz_BO"},
    {0x086B, "Quechua_Ecuador", "QUE", "quz_EC"},
    {0x0C6B, "Quechua_Peru", "QUP", "quz_PE"},
    {0x0018, "Romanian", "ROM", "ro_RO"},
    {0x0418, "Romanian_Romania", "ROM", "ro_RO"},
    {0x0417, "Romansh_Switzerland", "RMC", "rm_CH"},
    {0x0019, "Russian", "RUS", "ru_RU"},
    {0x0419, "Russian_Russia", "RUS", "ru_RU"},
    {0x243B, "Sami_Inari_Finland", "SMN", "smn_FI"},
    {0x103B, "Sami_Lule_Norway", "SMJ", "smj_NO"},
    {0x143B, "Sami_Lule_Sweden", "SMK", "smj_SE"},
    {0x0C3B, "Sami_Northern_Finland", "SMG", "se_FI"},
    {0x043B, "Sami_Northern_Norway", "SME", "se_NO"},
    {0x083B, "Sami_Northern_Sweden", "SMF", "se_SE"},
    {0x203B, "Sami_Skolt_Finland", "SMS", "sms_FI"},
    {0x183B, "Sami_Southern_Norway", "SMA", "sma_NO"},
    {0x1C3B, "Sami_Southern_Sweden", "SMB", "sma_SE"},
    {0x004F, "Sanskrit", "SAN", "sa_IN"},
    {0x044F, "Sanskrit_India", "SAN", "sa_IN"},
    {0x7C1A, "Serbian", "SRB", "sr_RS"},
    {0x1C1A, "Serbian_Cyrillic_Bosnia_and_Herzegovina", "SRN", "sr_BA"},
    {0x281A, "Serbian_Cyrillic_Serbia", "SRO", "sr_RS"},
    {0x181A, "Serbian_Latin_Bosnia_and_Herzegovina", "SRS", "sr_BA@latin"},
    {0x241A, "Serbian_Latin_Serbia", "SRM", "sr_RS@latin"},
    {0x046C, "Sesotho_sa_Leboa_South_Africa", "NSO", "nso_ZA"},
    {0x0432, "Setswana_South_Africa", "TSN", "tn_ZA"},
    {0x045B, "Sinhala_Sri_Lanka", "SIN", "si_LK"},
    {0x001B, "Slovak", "SKY", "sk_SK"},
    {0x041B, "Slovak_Slovakia", "SKY", "sk_SK"},
    {0x0024, "Slovenian", "SLV", "sl_SI"},
    {0x0424, "Slovenian_Slovenia", "SLV", "sl_SI"},
    {0x000A, "Spanish", "ESN", "es_ES"},
    {0x2C0A, "Spanish_Argentina", "ESS", "es_AR"},
    {0x400A, "Spanish_Bolivia", "ESB", "es_BO"},
    {0x340A, "Spanish_Chile", "ESL", "es_CL"},
    {0x240A, "Spanish_Colombia", "ESO", "es_CO"},
    {0x140A, "Spanish_Costa_Rica", "ESC", "es_CR"},
    {0x1C0A, "Spanish_Dominican_Republic", "ESD", "es_DO"},
    {0x300A, "Spanish_Ecuador", "ESF", "es_EC"},
    {0x440A, "Spanish_El_Salvador", "ESE", "es_SV"},
    {0x100A, "Spanish_Guatemala", "ESG", "es_GT"},
    {0x480A, "Spanish_Honduras", "ESH", "es_HN"},
    {0x080A, "Spanish_Mexico", "ESM", "es_MX"},
    {0x4C0A, "Spanish_Nicaragua", "ESI", "es_NI"},
    {0x180A, "Spanish_Panama", "ESA", "es_PA"},
    {0x3C0A, "Spanish_Paraguay", "ESZ", "es_PY"},
    {0x280A, "Spanish_Peru", "ESR", "es_PE"},
    {0x500A, "Spanish_Puerto_Rico", "ESU", "es_PR"},
    {0x0C0A, "Spanish_Spain", "ESN", "es_ES"},
    {0x540A, "Spanish_United States", "EST", "es_US"},
    {0x380A, "Spanish_Uruguay", "ESY", "es_UY"},
    {0x200A, "Spanish_Venezuela", "ESV", "es_VE"},
    {0x001D, "Swedish", "SVE", "sv_SE"},
    {0x081D, "Swedish_Finland", "SVF", "sv_FI"},
    {0x041D, "Swedish_Sweden", "SVE", "sv_SE"},
    {0x005A, "Syriac", "SYR", "syr_SY"},
    {0x045A, "Syriac_Syria", "SYR", "syr_SY"},
    {0x0428, "Tajik_Cyrillic_Tajikistan", "TAJ", "tg_TJ"},
    {0x085F, "Tamazight_Latin_Algeria", "TZM", "tzm_DZ"},
    {0x0049, "Tamil", "TAM", "ta_IN"},
    {0x0449, "Tamil_India", "TAM", "ta_IN"},
    {0x0044, "Tatar", "TTT", "tt_RU"},
    {0x0444, "Tatar_Russia", "TTT", "tt_RU"},
    {0x004A, "Telugu", "TEL", "te_IN"},
    {0x044A, "Telugu_India", "TEL", "te_IN"},
    {0x001E, "Thai", "THA", "th_TH"},
    {0x041E, "Thai_Thailand", "THA", "th_TH"},
    {0x0451, "Tibetan_PRC", "BOB", "bo_CN"},
    {0x001F, "Turkish", "TRK", "tr_TR"},
    {0x041F, "Turkish_Turkey", "TRK", "tr_TR"},
    {0x0442, "Turkmen_Turkmenistan", "TUK", "tk_TM"},
    {0x0480, "Uighur_PRC", "UIG", "ug_CN"},
    {0x0022, "Ukrainian", "UKR", "uk_UA"},
    {0x0422, "Ukrainian_Ukraine", "UKR", "uk_UA"},
    {0x042E, "Upper_Sorbian_Germany", "HSB", "hsb_DE"},
    {0x0020, "Urdu", "URD", "ur_PK"},
    {0x0420, "Urdu_Islamic_Republic_of_Pakistan", "URD", "ur_PK"},
    {0x0043, "Uzbek", "UZB", "uz_UZ"},
    {0x0843, "Uzbek_Cyrillic_Uzbekistan", "UZB", "uz_UZ@cyrillic"},
    {0x0443, "Uzbek_Latin_Uzbekistan", "UZB", "uz_UZ"},
    {0x002A, "Vietnamese", "VIT", "vi_VN"},
    {0x042A, "Vietnamese_Vietnam", "VIT", "vi_VN"},
    {0x0452, "Welsh_United_Kingdom", "CYM", "cy_GB"},
    {0x0488, "Wolof_Senegal", "WOL", "wo_SN"},
    {0x0485, "Yakut_Russia", "SAH", "sah_RU"},
    {0x0478, "Yi_PRC", "III", "ii_CN"},
    {0x046A, "Yoruba_Nigeria", "YOR", "yo_NG"},
}};

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

TextEncoding DetectEncoding(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (lower.find("_utf-8") != std::string::npos) return TextEncoding::Utf8;
    if (lower.find("_unicode") != std::string::npos) return TextEncoding::Unicode;
    return TextEncoding::Ansi;
}

bool IdentifyLanguage(const std::string& name, std::string& abbreviation, int& primary, int& sub) {
    std::string base = LowerCase(name);
    // The marker is taken to stand at the end of the name.
    const std::size_t marker = DetectEncoding(name) == TextEncoding::Utf8      ? 6
                               : DetectEncoding(name) == TextEncoding::Unicode ? 8
                                                                               : 0;
    base.resize(base.size() > marker ? base.size() - marker : 0);

    if (base == "english") {
        abbreviation = "english";
        primary = 9;
        sub = 1;
        return true;
    }
    for (const LanguageName& row : kLanguageNameTable) {
        const std::string abbr = LowerCase(row.abbreviation);
        if (base == LowerCase(row.name) || base == abbr) {
            abbreviation = abbr;
            primary = row.id & 0x3FF;
            sub = row.id >> 10;
            return true;
        }
    }
    ui::MessageBox(nullptr,
                   "Your language file name may be not proper,\n please read the help file!", base,
                   ui::MB_OK);
    return false;
}

std::string PosixLocaleOf(int primary, int sub) {
    const int id = (sub << 10) | primary;
    for (const LanguageName& row : kLanguageNameTable)
        if (row.id == id) return row.posixLocale;
    return {};
}

int AnsiCodePageOf(int primary, int sub) {
    switch (primary) {
        case 0x04:  // Chinese: traditional in Taiwan, Hong Kong and Macao
            return (sub == 1 || sub == 3 || sub == 5 || sub == 0x1F) ? 950 : 936;
        case 0x11:
            return 932;
        case 0x12:
            return 949;
        case 0x1E:
            return 874;
        case 0x2A:
            return 1258;
        case 0x08:
            return 1253;
        case 0x0D:
            return 1255;
        case 0x25:
        case 0x26:
        case 0x27:
            return 1257;
        case 0x1F:
            return 1254;
        case 0x01:
        case 0x20:
        case 0x29:
        case 0x63:
        case 0x80:
        case 0x8C:
            return 1256;
        case 0x02:
        case 0x19:
        case 0x22:
        case 0x23:
        case 0x28:
        case 0x2F:
        case 0x3F:
        case 0x40:
        case 0x44:
        case 0x50:
        case 0x6D:
        case 0x85:
            return 1251;
        case 0x05:
        case 0x0E:
        case 0x15:
        case 0x18:
        case 0x1B:
        case 0x1C:
        case 0x24:
        case 0x42:
            return 1250;
        case 0x1A:  // Croatian, Serbian and Bosnian: Cyrillic or Latin by sublanguage
            return (sub == 3 || sub == 7 || sub == 8 || sub == 0x0A) ? 1251 : 1250;
        case 0x2C:
            return sub == 2 ? 1251 : 1254;  // Azeri
        case 0x43:
            return sub == 2 ? 1251 : 1254;  // Uzbek
        // Languages written only in scripts without an ANSI code page.
        case 0x2B:
        case 0x37:
        case 0x39:
        case 0x45:
        case 0x46:
        case 0x47:
        case 0x48:
        case 0x49:
        case 0x4A:
        case 0x4B:
        case 0x4C:
        case 0x4D:
        case 0x4E:
        case 0x4F:
        case 0x51:
        case 0x53:
        case 0x54:
        case 0x57:
        case 0x5A:
        case 0x5B:
        case 0x5D:
        case 0x5E:
        case 0x61:
        case 0x65:
        case 0x78:
            return 0;
        default:
            return 1252;
    }
}

}  // namespace i18n
