#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "intercom/BitArray.h"

namespace vexilor {

// Capability numbers and names. The numbers are the bit positions in CIntercom::capabilities and
// in configuration files, so they never change. Each name states the negative form ("No..." or
// "Not..."), but a set bit means the intercom has the capability (NoAutoDial set: it has auto
// dials).
#define VEXILOR_CAPABILITY_LIST(X) \
    X(0, NoDeviceDownload) \
    X(1, NoActiveMCQuery) \
    X(2, NoIntercomResizing) \
    X(3, NoVolumes) \
    X(4, NoVolumeTableChanges) \
    X(5, NoIFBPRangeQuery) \
    X(6, NoChangeLists) \
    X(7, NoBlockInhibits) \
    X(8, NoKeyStateQuery) \
    X(9, NoKeyStateSet) \
    X(10, NoCrosspointInspection) \
    X(11, NoRelayOrDIStateQuery) \
    X(12, NoRelayInspection) \
    X(13, NoDescriptions) \
    X(14, NoTIFDialoutRestrictions) \
    X(15, NoProgrammablePollDelay) \
    X(16, NoDynamicPLMemberQuery) \
    X(17, NoPLTallies) \
    X(18, NoDornetSupport) \
    X(19, NoTIFPortQuery) \
    X(20, NotKoltIntercom) \
    X(21, NoIFBDim) \
    X(22, NoUserProgrammableLogic) \
    X(23, NoMultiDropUIO) \
    X(24, NoMultipleSessions) \
    X(25, NoEnhancedPortStatus) \
    X(26, NoExtendedResourceMessages) \
    X(27, NoExtendedResourceLimits) \
    X(28, NoKeypanelPrivacy) \
    X(29, NoDigiActionLockout) \
    X(30, NoLocalLogic) \
    X(31, NoInputAlphas) \
    X(32, NoKeypanelStatusClear) \
    X(33, NoLookupAlphas) \
    X(34, NoAutoListenExtensions) \
    X(35, NoTalkLevelChanges) \
    X(36, NoSoftDIPSwitches) \
    X(37, NoRelayModeChanges) \
    X(38, NoUPLCounters) \
    X(39, NoKeypanelTypeInfo) \
    X(40, NoDornetRestrictions) \
    X(41, NoTrunkingEnhancements) \
    X(42, NoRealtimeTrims) \
    X(43, NoLimitedIntercomResizing) \
    X(44, NoAutoTable) \
    X(45, NoAutoDial) \
    X(46, NotQuidraSystem) \
    X(47, NoTrunkInspect) \
    X(48, NoKeypanelKeyClear) \
    X(49, NoFastAlphaUploads) \
    X(50, NoKeypanelScreenSaver) \
    X(51, NoEnhancedGroups) \
    X(52, NoInUseTallies) \
    X(53, NoAlphaSizeConfiguration) \
    X(54, NoUPLOutputInhibit) \
    X(55, NoKeypanelPasswords) \
    X(56, NoUPLKeypanelHeadsetAndLEDControl) \
    X(57, NoKeypanelMultipleAlphaSizes) \
    X(58, NoAutoRefreshAlphas) \
    X(59, NoTIFHangUpOption) \
    X(60, NoUPLProgramIFBInputControl) \
    X(61, NoUnicodeAlphas) \
    X(62, NoLeaveListenActive) \
    X(63, NoBexoSupport) \
    X(64, NoCardTypes) \
    X(65, NotMalvetIntercom) \
    X(66, NoDebugTerminal) \
    X(67, NoLogAnyAlphaSize) \
    X(68, NoQueryNetIP) \
    X(69, NoSetNetIP) \
    X(70, NoSlaveSkelS) \
    X(71, NoLicenseDownload) \
    X(72, NoSplitTallies) \
    X(73, NoAssignmentGroups) \
    X(74, NoConfigurableSkelby) \
    X(75, NoIFBSpecialLists) \
    X(76, NoSearchAndReplace) \
    X(77, NoKeyLabels) \
    X(78, NoPanelPartyLines) \
    X(79, NoOrvaneSupport) \
    X(80, NoClearTrunkPorts) \
    X(81, NoSnoopTally) \
    X(82, NoDoNotInterrupt) \
    X(83, NoVoxSupport) \
    X(84, NoFrontPanelConfig) \
    X(85, NoUPLTestForAnyTalkKey) \
    X(86, NoAuthenticationSupport) \
    X(87, NoLoginRequired) \
    X(88, NoSetStandbyIP) \
    X(89, NoSkelAndDornDescriptions) \
    X(90, NoIOCardDescriptions) \
    X(91, NoSNMPSupport) \
    X(92, NoUPLPagingSystemMacros) \
    X(93, NotOstrelSystem) \
    X(94, NoConfigurableFennby) \
    X(95, NoSlaveFennS) \
    X(96, NotKoltIIIIntercom) \
    X(97, NoConfigureLoggingSupport) \
    X(98, NoBexo16Support) \
    X(99, NoTesslyConfiguration) \
    X(100, NoPGMListenSource) \
    X(101, NoMultiFrameAutonomous) \
    X(102, NoSkelSOnJ4) \
    X(103, NoTwoWirePortSignaling) \
    X(104, NoTovrinAlarms) \
    X(105, NoUploadDebugInformation) \
    X(106, NoQueryDownloadBuffers) \
    X(107, NoAssignmentGroupScrollRestrict) \
    X(108, NoCentralizedAutoDials) \
    X(109, NoJapaneseAutoDials) \
    X(110, NoUPLResourceCrosspoints) \
    X(111, NoIncreasedResourceLimits) \
    X(112, NoKeypanelColors) \
    X(113, NoTwoWireConfiguration) \
    X(114, NoMiscellaneousKeypanelColors) \
    X(115, NoEthernetTrunkMaster) \
    X(116, NoTwoTrunkMasters) \
    X(117, NoTrunkMasterConfiguration) \
    X(118, NoMADICardSupport) \
    X(119, NoRUDPStatistics) \
    X(120, NoVrelBSupport) \
    X(121, NoPortAllocationTable) \
    X(122, NoCardsWithUpTo64Ports) \
    X(123, NoKPPowerUpOptionQuery) \
    X(124, NoSeparateCWWSupport) \
    X(125, NoIntercomConfigurationRev3) \
    X(126, NoVrelMSupport) \
    X(127, NotKoltIIILiteIntercom) \
    X(128, NoIFBTalliesAcrossTrunking) \
    X(129, NoUnicodeAlphaSupport) \
    X(130, NoIFBSLTalliesAcrossTrunking) \
    X(131, NoUPLInputKeypanelTalking) \
    X(132, NoSupportForUpTo128Keys)

namespace cap {
#define VEXILOR_CAPABILITY_ENUM(number, name) name = number,
enum Capability : unsigned { VEXILOR_CAPABILITY_LIST(VEXILOR_CAPABILITY_ENUM) };
#undef VEXILOR_CAPABILITY_ENUM
}  // namespace cap

inline constexpr unsigned kCapabilityCount = 133;
// The intercom reports at most this many bits; later ones are ignored.
inline constexpr unsigned kMaxReportedCapabilityBits = 136;

// The table of capability names, indexed by capability number.
class CCapabilityStrings {
public:
    static constexpr std::size_t Count() { return kCapabilityCount; }
    // The stored name ("NoAutoDial"); empty for a number beyond the table.
    static std::u16string_view Name(unsigned number);
    // The display label ("Auto Dial"); empty for a number beyond the table.
    static std::u16string Label(unsigned number);
};

// The display label of a capability name: the "No"/"Not" prefix dropped and the name split into
// words at capitals and digits ("NoIFBPRangeQuery" gives "IFBP Range Query").
std::u16string CapabilityLabel(std::u16string_view name);

// The value of a capability in a configuration that has never been uploaded.
bool DefaultCapability(unsigned number);

// The capability number that reported bit r becomes, or -1 when the bit is ignored (or r is not
// below kMaxReportedCapabilityBits).
int CapabilityFromReportedBit(unsigned r);

// The operations on a capability bit array (CIntercom::capabilities); all of them leave bits
// beyond the array's count alone.
// Sets every clear bit below 133 to its default (set bits stay set), then derives.
void ApplyDefaultCapabilities(CBitArray& bits);
// Bits derived from others: 63 implies 64; 45 without 108 and 109 implies 109.
void DeriveCapabilities(CBitArray& bits);
// Clears the array, maps each of the first bitCount reported bits (cut to what the bytes hold and
// to 136) and derives.
void StoreCapabilityReport(CBitArray& bits, std::span<const std::uint8_t> bytes,
                           std::size_t bitCount);

}  // namespace vexilor
