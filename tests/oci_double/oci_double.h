// A TEST DOUBLE of the Oracle client library, built by the tests as
// oci-test-double/lib/libclntsh.so: the entry points of the Oracle Call
// Interface that the Oracle backend loads (db/oracle/oci.h), answering from
// a script instead of a database. It is no client: it parses no SQL and
// reaches no server. It lets the tests show what needs no server: the
// buffers the backend binds and defines, the statuses it makes of the
// client's answers, the order of its calls and that every handle is freed
// and every cursor closed.
//
// Behaviour (as the client's reference describes it, where it matters):
//  - a logon succeeds for the services added with ociDoubleAddService,
//    else fails with ORA-12154; every call is logged, one line each;
//  - a statement whose text contains an answer's `match` gets that answer
//    (the one added last of those that match): an error (ORA-code with message), or rows;
//    a logon to service S gets the answer of match "logon:S" first;
//  - a query executed with iters 0 opens a cursor over the rows; fetches
//    deliver them into the defines (text cut to the buffer with the full
//    length in the indicator and a warning; a number beyond a 4-byte
//    integer ORA-01455; NULL indicator -1, or ORA-01405 without one); in
//    exact-fetch mode more rows than iters are ORA-01422; fetching 0 rows
//    cancels the cursor;
//  - any other statement "processes" the answer's row count in each
//    iteration (default: one) and writes the cells of the answer's first
//    row that are not null into its binds (the out values of a PL/SQL
//    block);
//  - row outcomes script an execution over several rows (iters) row by
//    row: a scripted error ends the call at its row, unless the mode has
//    OCI_BATCH_ERRORS: then every row runs, the errors are collected (the
//    statement's OCI_ATTR_NUM_DML_ERRORS, OCIParamGet on the error handle
//    into an error handle the caller allocated, its
//    OCI_ATTR_DML_ROW_OFFSET) and the call fails with ORA-24381; with
//    OCI_RETURN_ROW_COUNT_ARRAY each row's count is kept
//    (OCI_ATTR_DML_ROW_COUNT_ARRAY). Either mode on a statement that is no
//    insert, update, delete or merge fails with ORA-28714;
//  - the logoff of a session with work since the last commit or rollback
//    logs "implicit commit", as the real client commits it.
#ifndef RAVLEN_TESTS_OCI_DOUBLE_OCI_DOUBLE_H_
#define RAVLEN_TESTS_OCI_DOUBLE_OCI_DOUBLE_H_

extern "C" {

// Forgets answers, services and the log (not the live handles).
void ociDoubleReset();
void ociDoubleAddService(const char* name);
// Statements matching `match` fail with ORA-`code` and `message`.
void ociDoubleError(const char* match, int code, const char* message);
// Statements matching `match` deliver `rows` rows of `columns` cells,
// row after row (a null cell: NULL), with the column names `names`;
// `rowCount` is what a write reports processed (-1: one per iteration).
void ociDoubleRows(const char* match, int columns, const char* const* names,
                   int rows, const char* const* cells, long rowCount);
// Executions of statements matching `match` end row by row: outcome i of
// `outcomes` is row i's count of rows processed (>= 0) or -N, the error
// ORA-N "scripted error in row i"; rows beyond them process the answer's
// count.
void ociDoubleRowOutcomes(const char* match, int rows, const long* outcomes);
// Every call so far, one line each.
const char* ociDoubleLog();
// Handles and descriptors allocated and not yet freed; cursors open.
int ociDoubleLiveHandles();
int ociDoubleOpenCursors();
}

#endif  // RAVLEN_TESTS_OCI_DOUBLE_OCI_DOUBLE_H_
