#include "framework/locale_dates.h"

#include <cstdlib>

namespace {

// The layouts of the locales' short dates, each with the language_territory
// names of the locales that write it (numeric day, month and year in that
// order; four-digit years where the locale writes them).
struct LayoutLocales {
  const char* format;
  const char* locales;
};

constexpr LayoutLocales kLayouts[] = {
    {"dd/MM/yy",
     "agr_PE anp_IN ar_IN ast_ES ayc_PE bhb_IN bho_IN bho_NP bn_BD bn_IN ca_AD ca_ES ca_FR ca_IT "
     "doi_IN en_AG en_AU en_GB en_IE en_IL en_IN en_NZ en_SC en_ZM es_AR es_BO es_CL es_CO es_CU es_DO "
     "es_EC es_ES es_GT es_HN es_MX es_NI es_PA es_PE es_PR es_PY es_SV es_US es_UY es_VE fr_BE gd_GB "
     "gl_ES gu_IN gv_GB ha_NG he_IL hi_IN hne_IN id_ID ig_NG ik_CA kn_IN kw_GB lg_UG lo_LA mag_IN "
     "mai_IN mai_NP mfe_MU mi_NZ miq_NI mjw_IN ml_IN mni_IN mr_IN nhn_MX niu_NU niu_NZ pa_IN quz_PE "
     "raj_IN rif_MA sat_IN sd_IN shs_CA ta_IN ta_LK tcy_IN th_TH unm_US ur_IN uz_UZ yi_US yo_NG yuw_PG"},
    {"dd/MM/yyyy",
     "aa_ER aa_ET af_ZA am_ET an_ES ar_AE ar_BH ar_DZ ar_EG ar_IQ ar_JO ar_KW ar_LB ar_LY ar_MA ar_OM "
     "ar_QA ar_SA ar_SD ar_SS ar_SY ar_TN ar_YE bi_VU byn_ER ckb_IQ dv_MV el_CY el_GR en_BW en_NG "
     "en_PH en_SG en_ZA en_ZW es_CR ff_SN fo_FO fr_FR gez_ER gez_ET hif_FJ ht_HT it_IT kab_DZ km_KH "
     "ku_TR lij_IT ln_CD ms_MY mt_MT nr_ZA nso_ZA oc_FR om_ET om_KE pa_PK pt_BR pt_PT sid_ET sm_WS "
     "so_ET so_KE so_SO ss_ZA st_ZA sw_KE sw_TZ the_NP ti_ER ti_ET tig_ER tn_ZA to_TO tpi_PG ts_ZA "
     "ur_PK ve_ZA vi_VN wa_BE wal_ET xh_ZA zu_ZA"},
    {"dd.MM.yyyy",
     "aa_DJ az_AZ be_BY ber_DZ ber_MA bg_BG br_FR bs_BA crh_UA cs_CZ cv_RU de_CH de_DE de_IT de_LI "
     "dsb_DE et_EE fi_FI fr_LU fy_DE hr_HR hsb_DE ia_FR is_IS it_CH kk_KZ ky_KG lb_LU li_BE li_NL "
     "mg_MG mk_MK nb_NO nds_DE nds_NL nn_NO os_RU pl_PL ro_RO ru_RU ru_UA rw_RW sk_SK sl_SI so_DJ "
     "sr_ME sr_RS sv_FI szl_PL tg_TJ tk_TM tt_RU wo_SN"},
    {"yyyy-MM-dd",
     "csb_PL de_AT de_BE de_LU en_CA en_DK fr_CA hu_HU lt_LT se_NO si_LK sv_SE wae_CH"},
    {"yyyy/MM/dd",
     "ak_GH cmn_TW hak_TW ja_JP ko_KR nan_TW ps_AF yue_HK zh_CN zh_HK zh_SG zh_TW"},
    {"yy/MM/dd",
     "az_IR bo_CN bo_IN dz_BT fa_IR lzh_TW mnw_MM my_MM ne_NP shn_MM"},
    {"dd-MM-yy",
     "fy_NL kok_IN nl_AW nl_BE nl_NL or_IN pap_AW pap_CW sa_IN te_IN"},
    {"dd.MM.yy",
     "cy_GB fr_CH fur_IT ga_IE sc_IT sq_AL sq_MK uk_UA"},
    {"MM/dd/yyyy",
     "ab_GE bem_ZM chr_US en_HK en_US ka_GE kl_GL"},
    {"yyyy.MM.dd",
     "eu_ES eu_FR lv_LV mhr_RU mn_MN sah_RU sgs_LT"},
    {"MM/dd/yy",
     "brx_IN fil_PH hy_AM iu_CA ks_IN tl_PH"},
    {"dd-MM-yyyy",
     "as_IN da_DK tr_CY tr_TR ug_CN"},
    {"yyyy.dd.MM",
     "ce_RU"},
};

// "de_DE.UTF-8@euro" -> "de_DE".
std::string_view LanguageAndTerritory(std::string_view name) {
  return name.substr(0, name.find_first_of(".@"));
}

bool ListHolds(std::string_view list, std::string_view word) {
  for (std::size_t at = list.find(word); at != std::string_view::npos; at = list.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at == 0 || list[at - 1] == ' ') && (end == list.size() || list[end] == ' ')) return true;
  }
  return false;
}

}  // namespace

std::string LocaleNameFor(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return "C";
}

std::string ShortDateFormatOfLocale(std::string_view name) {
  const std::string_view key = LanguageAndTerritory(name);
  if (key.find('_') != std::string_view::npos)
    for (const LayoutLocales& layout : kLayouts)
      if (ListHolds(layout.locales, key)) return layout.format;
  return "MM/dd/yy";
}
