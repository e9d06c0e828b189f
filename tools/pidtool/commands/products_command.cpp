// products: every product identification plug-in created as a host creates it, asked for
// the products the system knows, and released again.
#include "cli/command_line.h"
#include "cli/guid_text.h"
#include "cli/json.h"
#include "cli/product_record.h"
#include "cli/reporting.h"
#include "cli/result_names.h"
#include "cli/text_format.h"
#include "commands/component_queries.h"
#include "product_identification.h"
#include "shared/unique_handle.h"

namespace pidtool {
namespace {

struct Collected {
  std::vector<DecodedProduct> products;
  bool lost = false;  // a record could not be kept
};

// Called by the plug-in once per product, synchronously; the record lives only until it
// returns. Nothing may be thrown back into the module.
int CALLBACK CollectProduct(const ProductInfo* info, ULONG_PTR context) {
  auto* collected = reinterpret_cast<Collected*>(context);
  try {
    if (info != nullptr) collected->products.push_back(DecodeProduct(*info));
  } catch (...) {
    collected->lost = true;
  }
  return 0;
}

struct ComponentReport {
  std::string clsid;
  std::string friendlyName;  // empty when it could not be read
  bool created = false;
  HRESULT enumerated = E_FAIL;
  Collected collected;
};

// Creates one plug-in, lets it enumerate, releases it and lets the library free its module.
// Returns the problem, or one with an empty text.
Problem AskPlugin(const GUID& clsid, ComponentReport* report) {
  {
    rm::UniqueComInterface<IProductIdentification> plugin;
    const tagQXINTRFCRESULT created = QXCreateInstance(
        clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IProductIdentification,
        reinterpret_cast<void**>(static_cast<IProductIdentification**>(plugin.put())));
    if (created != QXIR_SUCCESS) {
      return {"creating " + report->clsid +
                  " for IProductIdentification failed: QXCreateInstance returned " +
                  DescribeResult(created),
              ResultCode(created)};
    }
    report->created = true;
    report->enumerated = plugin.get()->EnumerateProducts(
        &CollectProduct, reinterpret_cast<ULONG_PTR>(&report->collected));
  }
  QXFreeUnusedLibraries();
  if (FAILED(report->enumerated)) {
    return {"EnumerateProducts of " + report->clsid + " failed with " +
                DescribeHresult(report->enumerated),
            HresultCode(report->enumerated)};
  }
  if (report->collected.lost) return {"out of memory keeping the products of " + report->clsid, {}};
  return {};
}

std::string ReportText(const ComponentReport& report) {
  std::string text = report.clsid + "  " +
                     (report.friendlyName.empty() ? "(no friendly name)" : report.friendlyName) +
                     "\n";
  if (!report.created) return text + "  not created\n";
  text += "  created with QXCreateInstance; EnumerateProducts returned " +
          DescribeHresult(report.enumerated) + "\n";
  const std::vector<DecodedProduct>& products = report.collected.products;
  if (products.empty() && SUCCEEDED(report.enumerated))
    text += "  the system knows no supported camera\n";
  for (std::size_t i = 0; i < products.size(); ++i) {
    text += Printf("  product %lu of %lu\n", static_cast<unsigned long>(i + 1),
                   static_cast<unsigned long>(products.size())) +
            ProductText(products[i], "    ");
  }
  return text + "  released; QXFreeUnusedLibraries called\n";
}

Json ReportJson(const ComponentReport& report) {
  Json json = {{"clsid", report.clsid},
               {"friendlyName", StringOrNull(report.friendlyName)},
               {"created", report.created}};
  if (report.created) {
    json["enumerateProducts"] = DescribeHresult(report.enumerated);
    Json& products = json["products"] = Json::array();
    for (const DecodedProduct& product : report.collected.products) {
      products.push_back(ProductJson(product));
    }
  }
  return json;
}

}  // namespace

int RunProducts(const ParsedCommandLine& parsed) {
  const CommandSpec& command = *parsed.command;
  std::vector<GUID> clsids;
  const tagQXINTRFCRESULT listed = ComponentsOfCategory(kDefaultCategory, &clsids);
  if (listed != QXIR_SUCCESS) {
    return Failure(parsed, {std::string("listing the components of category '") + kDefaultCategory +
                                "' failed: QXEnumComponents returned " + DescribeResult(listed),
                            ResultCode(listed)});
  }

  std::vector<Problem> problems;
  std::size_t productCount = 0;
  std::string text;
  Json json = {{"category", kDefaultCategory}, {"components", Json::array()}};
  for (const GUID& clsid : clsids) {
    ComponentReport report;
    report.clsid = FormatGuid(clsid);
    const tagQXINTRFCRESULT named = ComponentFriendlyName(clsid, &report.friendlyName);
    if (named != QXIR_SUCCESS) {
      report.friendlyName.clear();
      problems.push_back({"reading the friendly name of " + report.clsid +
                              " failed: QXGetComponentFriendlyName returned " +
                              DescribeResult(named),
                          ResultCode(named)});
      NoteFailure(command, problems.back());
    }
    Problem asked = AskPlugin(clsid, &report);
    if (!asked.what.empty()) {
      NoteFailure(command, asked);
      problems.push_back(std::move(asked));
    }
    productCount += report.collected.products.size();
    text += ReportText(report);
    json["components"].push_back(ReportJson(report));
  }
  AddProblemsJson(json, problems);

  if (clsids.empty())
    text += std::string("No component is registered in category ") + kDefaultCategory + ".\n";
  text += Printf("%lu plug-in%s, %lu product%s\n", static_cast<unsigned long>(clsids.size()),
                 clsids.size() == 1 ? "" : "s", static_cast<unsigned long>(productCount),
                 productCount == 1 ? "" : "s");
  PrintOut(parsed.json ? JsonText(json) : text);
  return problems.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace pidtool
