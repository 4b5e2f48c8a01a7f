// The manifest's JSON Schema and its reference page, both made from the
// tables the builder reads manifests with: the launcher's records
// (core/record_ids.h with record_docs.cpp) and the branding fields. The
// repository keeps their output in docs/; a unit test makes them again and
// compares, so that neither can fall behind the builder.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

nlohmann::ordered_json manifestSchema();

// Markdown: every key of the manifest, every record with its meaning,
// what its absence means, and an example.
std::string manifestReference(const nlohmann::ordered_json& schema);
