#include "config/provider_list.h"

#include <algorithm>

#include "config/blank.h"
#include "config/yaml_parser.h"
#include "platform/codepage.h"
#include "platform/trace.h"

namespace velk {
namespace {

// What the values that follow are taken as.
enum class Reading { Nothing, Name, Components };

void AppendWords(std::string_view text, std::vector<std::string>& words) {
    auto at = text.begin();
    while (at != text.end()) {
        at = std::find_if_not(at, text.end(), IsBlank);
        const auto end = std::find_if(at, text.end(), IsBlank);
        if (at != end) words.emplace_back(at, end);
        at = end;
    }
}

// Keywords are recognised wherever they stand, in keys and values alike, and
// the nesting of mappings and sequences is not looked at: the file is a flat
// stream of keywords and values.
class ProviderListBuilder {
  public:
    explicit ProviderListBuilder(std::vector<ProviderMarks>* marks) : marks_(marks) {}

    void Take(std::string_view scalar, YamlMark mark) {
        if (scalar == "provider") {
            list_.push_back(std::make_shared<Provider>());
            if (marks_) marks_->push_back({mark, {}});
            reading_ = Reading::Nothing;
        } else if (scalar == "name") {
            reading_ = Reading::Name;
        } else if (scalar == "components") {
            reading_ = Reading::Components;
        } else if (!list_.empty()) {
            // Before the first "provider" there is no provider to give a
            // value to: keywords and values there are ignored.
            Provider& current = *list_.back();
            if (reading_ == Reading::Name) current.name = Utf8ToCp1251(scalar);
            if (reading_ == Reading::Components) {
                AppendWords(scalar, current.components);
                if (marks_) marks_->back().components.resize(current.components.size(), mark);
            }
        }
    }

    ProviderList Finish() { return std::move(list_); }

  private:
    ProviderList list_;
    Reading reading_ = Reading::Nothing;
    std::vector<ProviderMarks>* marks_;
};

}  // namespace

ProviderList ReadProviderListFromText(std::string_view text, std::vector<ProviderMarks>* marks) {
    ProviderListBuilder builder(marks);
    YamlParser parser(text);
    for (;;) {
        YamlEvent event;
        if (!yaml_parser_parse(parser.get(), event.get())) throw YamlSyntaxError(*parser.get());
        switch (event.type()) {
            case YAML_SCALAR_EVENT:
                builder.Take(event.scalar(), event.start());
                if (TraceEnabled()) Trace(std::string("value = ").append(event.scalar()));
                break;
            case YAML_STREAM_END_EVENT:
                return builder.Finish();
            default:
                break;
        }
    }
}

ProviderList ReadProviderList(const std::string& path) {
    return ReadProviderListFromText(ReadConfigurationFile(path));
}

Provider MergeProviders(const ProviderList& chosen) {
    Provider merged{.name = "Name", .components = {}};
    for (const auto& provider : chosen) {
        for (const auto& component : provider->components) {
            if (std::find(merged.components.begin(), merged.components.end(), component) ==
                merged.components.end()) {
                merged.components.push_back(component);
            }
        }
    }
    return merged;
}

std::string DescribeProvider(const Provider& provider) {
    std::string text = "name: " + provider.name + "\n";
    for (const auto& component : provider.components) text += "component: " + component + "\n";
    return text;
}

void TraceProviders(const ProviderList& providers) {
    if (!TraceEnabled()) return;
    for (const auto& provider : providers) {
        std::string text = DescribeProvider(*provider);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        Trace(text);
    }
}

}  // namespace velk
