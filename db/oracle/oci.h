// The part of the Oracle Call Interface (OCI) that the Oracle backend uses:
// its scalar types, handle types, constants and function prototypes.
//
// Everything here is written from Oracle's public reference of that
// interface, the "Oracle Call Interface Programmer's Guide": the chapters
// "OCI Relational Functions" (prototypes, modes), "Handle and Descriptor
// Attributes" (handle types, attribute numbers), "Data Types" (the
// external data type codes) and "Error Handling in OCI" (return codes).
// The client library itself (libclntsh) is loaded at run time
// (oci_library.h), so the build needs no Oracle software.
//
// OciFunctions holds one pointer per function; its member names are the
// interface's own function names.
#ifndef RAVLEN_DB_ORACLE_OCI_H_
#define RAVLEN_DB_ORACLE_OCI_H_

#include <cstddef>
#include <cstdint>

namespace ravlen::oci {

// Scalar types ("OCI Programming Basics", data types of the prototypes).
using sword = int;
using ub8 = uint64_t;
using ub4 = uint32_t;
using sb4 = int32_t;
using ub2 = uint16_t;
using sb2 = int16_t;
using OraText = unsigned char;

// Opaque handles; the client allocates them, the program only passes
// their addresses on.
struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIStmt;
struct OCIBind;
struct OCIDefine;
struct OCISnapshot;
struct OCIParam;

// Return codes ("Error Handling in OCI").
inline constexpr sword OCI_SUCCESS = 0;
inline constexpr sword OCI_SUCCESS_WITH_INFO = 1;
inline constexpr sword OCI_NO_DATA = 100;
inline constexpr sword OCI_ERROR = -1;
inline constexpr sword OCI_INVALID_HANDLE = -2;

// Modes of OCIEnvNlsCreate, OCIStmtExecute, OCIStmtFetch2, OCILogon2.
inline constexpr ub4 OCI_DEFAULT = 0x00;
inline constexpr ub4 OCI_EXACT_FETCH = 0x02;  // execute: ORA-01422 past iters
inline constexpr ub4 OCI_LOGON2_STMTCACHE = 0x04;
inline constexpr ub2 OCI_FETCH_NEXT = 0x02;
inline constexpr ub4 OCI_NTV_SYNTAX = 1;  // OCIStmtPrepare2 language

// Array DML (the guide's section "Batch Error Mode for OCIStmtExecute()",
// and OCIStmtExecute's modes in "OCI Relational Functions"): with
// OCI_BATCH_ERRORS an execution with iters > 1 tries every row and
// collects the rows' errors on the statement: OCI_ATTR_NUM_DML_ERRORS says
// how many, OCIParamGet(errhp, OCI_HTYPE_ERROR, ..., i) puts the i-th into
// an error handle of the caller's, whose OCI_ATTR_DML_ROW_OFFSET is the
// failing row (from 0) and whose OCIErrorGet record 1 is the error. With
// OCI_RETURN_ROW_COUNT_ARRAY the statement's OCI_ATTR_DML_ROW_COUNT_ARRAY
// is a ub8 array of each row's count (client 12.1 and later). A call in
// which rows failed ends with ORA-24381 "error(s) in array DML" ("Database
// Error Messages"). The guide names these constants without their values;
// the attribute numbers 73, 74 and 469 are those that the public API
// reference of another Oracle client wrapper (FireDAC's OracleWrapper)
// gives for the same names, and 0x100000 is the value that ODPI-C's public
// documentation gives for its row-count mode; 0x80 for OCI_BATCH_ERRORS
// could not be confirmed from public documentation.
inline constexpr ub4 OCI_BATCH_ERRORS = 0x80;
inline constexpr ub4 OCI_RETURN_ROW_COUNT_ARRAY = 0x100000;
inline constexpr int kArrayDmlErrors = 24381;

// Handle and descriptor types ("Handle and Descriptor Attributes").
inline constexpr ub4 OCI_HTYPE_ENV = 1;
inline constexpr ub4 OCI_HTYPE_ERROR = 2;
inline constexpr ub4 OCI_HTYPE_SVCCTX = 3;
inline constexpr ub4 OCI_HTYPE_STMT = 4;
inline constexpr ub4 OCI_DTYPE_PARAM = 53;

// Attributes of a statement handle and of a select-list parameter.
inline constexpr ub4 OCI_ATTR_NAME = 4;
inline constexpr ub4 OCI_ATTR_ROW_COUNT = 9;
inline constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11;
inline constexpr ub4 OCI_ATTR_PARAM_COUNT = 18;
inline constexpr ub4 OCI_ATTR_NUM_DML_ERRORS = 73;   // statement, ub4
inline constexpr ub4 OCI_ATTR_DML_ROW_OFFSET = 74;   // error handle, ub4
inline constexpr ub4 OCI_ATTR_DML_ROW_COUNT_ARRAY = 469;  // statement, ub8*

// External data types ("Data Types", table of external data type codes).
inline constexpr ub2 SQLT_CHR = 1;  // VARCHAR2: bytes with a length
inline constexpr ub2 SQLT_INT = 3;  // signed integer of the given size
inline constexpr ub2 SQLT_FLT = 4;  // floating point of the given size

// Character set id of AL32UTF8 ("Globalization Support": character sets).
inline constexpr ub2 kAl32Utf8 = 873;

// Prototypes ("OCI Relational Functions").
using OCIEnvNlsCreateFn = sword(OCIEnv** envhpp, ub4 mode, void* ctxp,
                                void* (*malocfp)(void*, size_t),
                                void* (*ralocfp)(void*, void*, size_t),
                                void (*mfreefp)(void*, void*),
                                size_t xtramemsz, void** usrmempp,
                                ub2 charset, ub2 ncharset);
using OCIHandleAllocFn = sword(const void* parenth, void** hndlpp, ub4 type,
                               size_t xtramemSz, void** usrmempp);
using OCIHandleFreeFn = sword(void* hndlp, ub4 type);
using OCIErrorGetFn = sword(void* hndlp, ub4 recordno, OraText* sqlstate,
                            sb4* errcodep, OraText* bufp, ub4 bufsiz,
                            ub4 type);
using OCILogon2Fn = sword(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchp,
                          const OraText* username, ub4 unameLen,
                          const OraText* password, ub4 passwdLen,
                          const OraText* dbname, ub4 dbnameLen, ub4 mode);
using OCILogoffFn = sword(OCISvcCtx* svchp, OCIError* errhp);
using OCIAttrSetFn = sword(void* trgthndlp, ub4 trghndltyp, void* attributep,
                           ub4 size, ub4 attrtype, OCIError* errhp);
using OCIAttrGetFn = sword(const void* trgthndlp, ub4 trghndltyp,
                           void* attributep, ub4* sizep, ub4 attrtype,
                           OCIError* errhp);
using OCIStmtPrepare2Fn = sword(OCISvcCtx* svchp, OCIStmt** stmthp,
                                OCIError* errhp, const OraText* stmttext,
                                ub4 stmtLen, const OraText* key, ub4 keylen,
                                ub4 language, ub4 mode);
using OCIStmtReleaseFn = sword(OCIStmt* stmthp, OCIError* errhp,
                               const OraText* key, ub4 keylen, ub4 mode);
using OCIBindByPosFn = sword(OCIStmt* stmtp, OCIBind** bindpp,
                             OCIError* errhp, ub4 position, void* valuep,
                             sb4 valueSz, ub2 dty, void* indp, ub2* alenp,
                             ub2* rcodep, ub4 maxarrLen, ub4* curelep,
                             ub4 mode);
using OCIDefineByPosFn = sword(OCIStmt* stmtp, OCIDefine** defnpp,
                               OCIError* errhp, ub4 position, void* valuep,
                               sb4 valueSz, ub2 dty, void* indp, ub2* rlenp,
                               ub2* rcodep, ub4 mode);
using OCIStmtExecuteFn = sword(OCISvcCtx* svchp, OCIStmt* stmtp,
                               OCIError* errhp, ub4 iters, ub4 rowoff,
                               const OCISnapshot* snapIn,
                               OCISnapshot* snapOut, ub4 mode);
using OCIStmtFetch2Fn = sword(OCIStmt* stmthp, OCIError* errhp, ub4 nrows,
                              ub2 orientation, sb4 fetchOffset, ub4 mode);
using OCITransCommitFn = sword(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
using OCITransRollbackFn = sword(OCISvcCtx* svchp, OCIError* errhp,
                                 ub4 flags);
using OCIParamGetFn = sword(const void* hndlp, ub4 htype, OCIError* errhp,
                            void** parmdpp, ub4 pos);
using OCIDescriptorFreeFn = sword(void* descp, ub4 type);

}  // namespace ravlen::oci

// Every function the backend takes from the client library.
#define RAVLEN_OCI_FUNCTIONS(X)                                          \
  X(OCIEnvNlsCreate) X(OCIHandleAlloc) X(OCIHandleFree) X(OCIErrorGet)   \
  X(OCILogon2) X(OCILogoff) X(OCIAttrSet) X(OCIAttrGet)                  \
  X(OCIStmtPrepare2) X(OCIStmtRelease) X(OCIBindByPos) X(OCIDefineByPos) \
  X(OCIStmtExecute) X(OCIStmtFetch2) X(OCITransCommit)                   \
  X(OCITransRollback) X(OCIParamGet) X(OCIDescriptorFree)

namespace ravlen {

struct OciFunctions {
#define RAVLEN_OCI_POINTER(name) oci::name##Fn* name = nullptr;
  RAVLEN_OCI_FUNCTIONS(RAVLEN_OCI_POINTER)
#undef RAVLEN_OCI_POINTER
};

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_OCI_H_
