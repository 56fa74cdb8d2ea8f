#pragma once

namespace brindlex::bridge {

// The text of bridge/manifests/org.brindlex.bridge.*.json, built into the program.
extern const char* const ChromiumManifestTemplate;
extern const char* const FirefoxManifestTemplate;

}  // namespace brindlex::bridge
