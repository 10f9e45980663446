// Every case of the Wine test program; main.cpp runs one by its name.
#pragma once

#include "driver.h"

void ProductHeaders(const CaseContext& context);
void ProductImports(const CaseContext& context);
void ProductResourceList(const CaseContext& context);
void ProductDialogs(const CaseContext& context);
void ProductIcon(const CaseContext& context);
void ProductVersion(const CaseContext& context);
void ProductManifest(const CaseContext& context);

void ModeByFileName(const CaseContext& context);
void SplitDialogOpens(const CaseContext& context);
void JoinDialogWithoutSet(const CaseContext& context);

void SplitFileChooser(const CaseContext& context);
void SplitSliceChoices(const CaseContext& context);
void SplitRefusals(const CaseContext& context);
void SplitPartNotCreated(const CaseContext& context);
void SplitFullDisk(const CaseContext& context);
void SplitStatusRepaints(const CaseContext& context);
void SplitDoubleByteName(const CaseContext& context);

void JoinRoundTrip(const CaseContext& context);
void JoinMissingPart(const CaseContext& context);
void JoinRenamedPartZero(const CaseContext& context);
void JoinPartVanishes(const CaseContext& context);
void JoinOutputBlocked(const CaseContext& context);
void JoinDamagedTrailers(const CaseContext& context);

void TakeScreenshots(const CaseContext& context);
