// Runs one case of the Wine tests:
//   parvolin_wine_tests CASE SCRATCH PROGRAM PRODUCT
// SCRATCH is the case's own folder, PROGRAM the x86_64 parvolin.exe that
// runs here, PRODUCT the PE32 parvolin.exe that is only inspected; paths may
// be given as Linux paths. Exits 0 when every check passed.
#include <stdio.h>
#include <string.h>

#include "cases.h"

struct NamedCase {
    const char* name;
    void (*run)(const CaseContext& context);
};

static const NamedCase Cases[] = {
    {"product.headers", ProductHeaders},
    {"product.imports", ProductImports},
    {"product.resource_list", ProductResourceList},
    {"product.dialogs", ProductDialogs},
    {"product.icon", ProductIcon},
    {"product.version", ProductVersion},
    {"product.manifest", ProductManifest},
    {"mode.by_file_name", ModeByFileName},
    {"split.dialog_opens", SplitDialogOpens},
    {"join.program_without_set", JoinDialogWithoutSet},
    {"split.file_chooser", SplitFileChooser},
    {"split.slice_choices", SplitSliceChoices},
    {"split.refusals", SplitRefusals},
    {"split.part_not_created", SplitPartNotCreated},
    {"split.full_disk", SplitFullDisk},
    {"split.status_repaints", SplitStatusRepaints},
    {"split.double_byte_name", SplitDoubleByteName},
    {"join.round_trip", JoinRoundTrip},
    {"join.missing_part", JoinMissingPart},
    {"join.renamed_part_zero", JoinRenamedPartZero},
    {"join.part_vanishes", JoinPartVanishes},
    {"join.output_blocked", JoinOutputBlocked},
    {"join.damaged_trailers", JoinDamagedTrailers},
    {"screenshots", TakeScreenshots},
};

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: %s CASE SCRATCH PROGRAM PRODUCT\n", argv[0]);
        return 2;
    }
    for (const NamedCase& named : Cases) {
        if (strcmp(named.name, argv[1]) != 0)
            continue;
        const CaseContext context = {WindowsPath(argv[2]), WindowsPath(argv[3]), WindowsPath(argv[4])};
        if (!MakeFolder(context.scratch))
            return 1;
        if (strncmp(named.name, "product.", 8) == 0 &&
            !Expect(FileExists(context.product), "%s is missing: build the win32 preset first",
                    context.product.c_str()))
            return 1;
        named.run(context);
        printf("%s: %s\n", named.name, AnyFailure() ? "FAILED" : "passed");
        return AnyFailure() ? 1 : 0;
    }
    fprintf(stderr, "no case named %s\n", argv[1]);
    return 2;
}
