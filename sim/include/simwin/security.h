// The security calls of ADVAPI32 as the simulated machine provides them:
// security descriptors in their self-relative binary layout, access-control
// lists and entries, the SDDL conversion and the named-object calls for
// files and folders. Structures have Windows' layout, so code that walks an
// ACL with GetAce reads the same bytes as on Windows.
#pragma once

#include "simwin/types.h"

typedef DWORD ACCESS_MASK;
typedef DWORD SECURITY_INFORMATION;
typedef WORD SECURITY_DESCRIPTOR_CONTROL;
typedef void *PSECURITY_DESCRIPTOR;
typedef void *PSID;

struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
};

struct SID {
  BYTE Revision;
  BYTE SubAuthorityCount;
  SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
  DWORD SubAuthority[1];
};

struct ACL {
  BYTE AclRevision;
  BYTE Sbz1;
  WORD AclSize;
  WORD AceCount;
  WORD Sbz2;
};
typedef ACL *PACL;

struct ACE_HEADER {
  BYTE AceType;
  BYTE AceFlags;
  WORD AceSize;
};

struct ACCESS_ALLOWED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;
};
typedef ACCESS_ALLOWED_ACE ACCESS_DENIED_ACE;

static_assert(sizeof(ACL) == 8, "layout of ACL");
static_assert(sizeof(ACCESS_ALLOWED_ACE) == 12, "layout of ACCESS_ALLOWED_ACE");

#define ACL_REVISION 2
#define SDDL_REVISION_1 1
#define ACCESS_ALLOWED_ACE_TYPE 0x0
#define ACCESS_DENIED_ACE_TYPE 0x1

// ACE flags.
#define OBJECT_INHERIT_ACE 0x1
#define CONTAINER_INHERIT_ACE 0x2
#define NO_PROPAGATE_INHERIT_ACE 0x4
#define INHERIT_ONLY_ACE 0x8
#define INHERITED_ACE 0x10

// Security descriptor control bits.
#define SE_DACL_PRESENT 0x0004
#define SE_DACL_AUTO_INHERIT_REQ 0x0100
#define SE_DACL_AUTO_INHERITED 0x0400
#define SE_DACL_PROTECTED 0x1000
#define SE_SELF_RELATIVE 0x8000

#define OWNER_SECURITY_INFORMATION 0x00000001
#define GROUP_SECURITY_INFORMATION 0x00000002
#define DACL_SECURITY_INFORMATION 0x00000004
#define SACL_SECURITY_INFORMATION 0x00000008
#define UNPROTECTED_DACL_SECURITY_INFORMATION 0x20000000
#define PROTECTED_DACL_SECURITY_INFORMATION 0x80000000

// Rights of files and folders (GENERIC_* are in kernel32.h).
#define SYNCHRONIZE 0x00100000
#define FILE_ALL_ACCESS 0x001F01FF
#define FILE_GENERIC_READ 0x00120089
#define FILE_GENERIC_WRITE 0x00120116
#define FILE_GENERIC_EXECUTE 0x001200A0

// Inheritance of an explicit access entry (grfInheritance).
#define NO_INHERITANCE 0x0
#define SUB_CONTAINERS_AND_OBJECTS_INHERIT 0x3

#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_UNKNOWN_REVISION 1305L
#define ERROR_INVALID_SID 1337L

enum SE_OBJECT_TYPE { SE_UNKNOWN_OBJECT_TYPE = 0, SE_FILE_OBJECT, SE_SERVICE, SE_PRINTER, SE_REGISTRY_KEY };
enum ACCESS_MODE {
  NOT_USED_ACCESS = 0,
  GRANT_ACCESS,
  SET_ACCESS,
  DENY_ACCESS,
  REVOKE_ACCESS,
  SET_AUDIT_SUCCESS,
  SET_AUDIT_FAILURE
};
enum MULTIPLE_TRUSTEE_OPERATION { NO_MULTIPLE_TRUSTEE, TRUSTEE_IS_IMPERSONATE };
enum TRUSTEE_FORM { TRUSTEE_IS_SID, TRUSTEE_IS_NAME, TRUSTEE_BAD_FORM };
enum TRUSTEE_TYPE { TRUSTEE_IS_UNKNOWN, TRUSTEE_IS_USER, TRUSTEE_IS_GROUP };

struct TRUSTEE_A {
  TRUSTEE_A *pMultipleTrustee;
  MULTIPLE_TRUSTEE_OPERATION MultipleTrusteeOperation;
  TRUSTEE_FORM TrusteeForm;
  TRUSTEE_TYPE TrusteeType;
  LPSTR ptstrName;
};

struct EXPLICIT_ACCESS_A {
  DWORD grfAccessPermissions;
  ACCESS_MODE grfAccessMode;
  DWORD grfInheritance;
  TRUSTEE_A Trustee;
};
typedef EXPLICIT_ACCESS_A *PEXPLICIT_ACCESS_A;

// Parses SDDL as Windows does, blanks between and inside the parts included,
// into a self-relative descriptor from LocalAlloc. Owner, group and a DACL
// of allowed and denied entries only (narrower than Windows: no SACL, no
// object or conditional entries).
BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision, PSECURITY_DESCRIPTOR *descriptor,
                                                          PULONG size);
// Self-relative descriptors only (narrower than Windows).
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, LPBOOL present, PACL *dacl, LPBOOL defaulted);
BOOL GetAce(PACL acl, DWORD index, LPVOID *ace);

// Files and folders only. The descriptor holds the DACL alone (narrower
// than Windows, which also gives owner, group and SACL when asked).
DWORD GetNamedSecurityInfoA(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information, PSID *owner,
                            PSID *group, PACL *dacl, PACL *sacl, PSECURITY_DESCRIPTOR *descriptor);
// Files and folders only; sets the DACL and ignores owner, group and SACL.
DWORD SetNamedSecurityInfoA(LPSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information, PSID owner, PSID group,
                            PACL dacl, PACL sacl);
void BuildExplicitAccessWithNameA(PEXPLICIT_ACCESS_A access, LPSTR name, DWORD permissions, ACCESS_MODE mode,
                                  DWORD inheritance);
// Grants, sets, denies and revokes for one trustee each, given by name or SID
// (narrower than Windows: no audit entries, no multiple trustees).
DWORD SetEntriesInAclA(ULONG count, PEXPLICIT_ACCESS_A entries, PACL oldAcl, PACL *newAcl);
