// The collation and helper functions translated statements use on a server, installed once per
// schema (see PgSupport.h). They give the file storage's results and messages: texts in
// dictionary order, dates and times shown as the windows show them, day.month.year texts read
// as on files, and values refused as a column stores them with the file storage's words.

#include "PgSupport.h"

namespace engine::pg {

const char* supportSql() {
    return R"SQL(
CREATE COLLATION IF NOT EXISTS tmdict (provider = icu, locale = 'und-u-kf-upper');

CREATE OR REPLACE FUNCTION tm_text(date) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT extract(day FROM $1)::int || '.' || extract(month FROM $1)::int || '.' || extract(year FROM $1)::int $$;
CREATE OR REPLACE FUNCTION tm_text(time) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT extract(hour FROM $1)::int || ':' || to_char(extract(minute FROM $1)::int, 'FM00') || ':' ||
          to_char(floor(extract(second FROM $1))::int, 'FM00') $$;
CREATE OR REPLACE FUNCTION tm_text(timestamp) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT extract(day FROM $1)::int || '.' || extract(month FROM $1)::int || '.' || extract(year FROM $1)::int || ' ' ||
          extract(hour FROM $1)::int || ':' || to_char(extract(minute FROM $1)::int, 'FM00') || ':' ||
          to_char(floor(extract(second FROM $1))::int, 'FM00') $$;
CREATE OR REPLACE FUNCTION tm_text(double precision) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT CASE WHEN $1 = 0 THEN '0' WHEN $1 = 'Infinity' THEN 'INF' WHEN $1 = '-Infinity' THEN '-INF'
               WHEN $1 = 'NaN' THEN 'NAN' ELSE $1::text END $$;
CREATE OR REPLACE FUNCTION tm_text(bigint) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT $1::text $$;
CREATE OR REPLACE FUNCTION tm_text(boolean) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT CASE WHEN $1 THEN 'True' ELSE 'False' END $$;

CREATE OR REPLACE FUNCTION tm_quoted(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT '"' || left($1, 60) || CASE WHEN length($1) > 60 THEN '..."' ELSE '"' END $$;

CREATE OR REPLACE FUNCTION tm_date(t text) RETURNS date LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE m text[]; y int;
BEGIN
  IF btrim(t, E' \t\r\n.') = '' THEN RETURN NULL; END IF;
  m := regexp_match(t, E'^[ \\t]*([0-9]{1,2}) *\\. *([0-9]{1,2}) *\\. *([0-9]{1,4})[ \\t\\r\\n]*$');
  IF m IS NULL OR length(m[3]) = 3 THEN
    RAISE EXCEPTION 'Invalid date: % (expected day.month.year)', tm_quoted(t);
  END IF;
  y := m[3]::int;
  IF length(m[3]) <= 2 THEN y := y + 2000; END IF;
  IF y < 1 THEN RAISE EXCEPTION 'Invalid date: %', tm_quoted(t); END IF;
  BEGIN
    RETURN make_date(y, m[2]::int, m[1]::int);
  EXCEPTION WHEN others THEN
    RAISE EXCEPTION 'Invalid date: %', tm_quoted(t);
  END;
END $$;
CREATE OR REPLACE FUNCTION tm_date(bigint) RETURNS date LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT date '1899-12-30' + $1::int $$;
CREATE OR REPLACE FUNCTION tm_date(double precision) RETURNS date LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT date '1899-12-30' + floor($1)::int $$;
CREATE OR REPLACE FUNCTION tm_date(timestamp) RETURNS date LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT $1::date $$;
CREATE OR REPLACE FUNCTION tm_date(date) RETURNS date LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT $1 $$;

CREATE OR REPLACE FUNCTION tm_time(t text) RETURNS time LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE m text[];
BEGIN
  IF btrim(t, ' :') = '' THEN RETURN NULL; END IF;
  m := regexp_match(t, E'^[ \\t]*([0-9]{1,2}):([0-9]{1,2})(:([0-9]{1,2}))?[ \\t\\r\\n]*$');
  IF m IS NULL OR m[1]::int > 23 OR m[2]::int > 59 OR coalesce(m[4], '0')::int > 59 THEN
    RAISE EXCEPTION 'Invalid time: % (expected hours:minutes:seconds)', tm_quoted(t);
  END IF;
  RETURN make_time(m[1]::int, m[2]::int, coalesce(m[4], '0')::int);
END $$;
CREATE OR REPLACE FUNCTION tm_time(bigint) RETURNS time LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT time '00:00' + $1 * interval '1 second' $$;
CREATE OR REPLACE FUNCTION tm_time(double precision) RETURNS time LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT time '00:00' + round($1) * interval '1 second' $$;
CREATE OR REPLACE FUNCTION tm_time(timestamp) RETURNS time LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT $1::time $$;
CREATE OR REPLACE FUNCTION tm_time(time) RETURNS time LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT $1 $$;

CREATE OR REPLACE FUNCTION tm_timestamp(t text) RETURNS timestamp LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE s text := btrim(t, E' \t\r\n'); sp int; d date;
BEGIN
  IF btrim(s, ' .:') = '' THEN RETURN NULL; END IF;
  sp := position(' ' IN s);
  d := tm_date(CASE WHEN sp > 0 THEN left(s, sp - 1) ELSE s END);
  IF d IS NULL THEN RAISE EXCEPTION 'Invalid date and time: %', tm_quoted(t); END IF;
  IF sp > 0 AND btrim(substr(s, sp + 1)) <> '' THEN
    RETURN d + tm_time(btrim(substr(s, sp + 1)));
  END IF;
  RETURN d::timestamp;
END $$;
CREATE OR REPLACE FUNCTION tm_timestamp(double precision) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT timestamp '1899-12-30' + $1 * interval '1 day' $$;
CREATE OR REPLACE FUNCTION tm_timestamp(bigint) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT timestamp '1899-12-30' + $1 * interval '1 day' $$;
CREATE OR REPLACE FUNCTION tm_timestamp(date) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT $1::timestamp $$;
CREATE OR REPLACE FUNCTION tm_timestamp(time) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT timestamp '1899-12-30' + $1 $$;
CREATE OR REPLACE FUNCTION tm_timestamp(timestamp) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT $1 $$;

CREATE OR REPLACE FUNCTION tm_whole(v double precision, col text) RETURNS bigint LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
  IF v IN ('Infinity', '-Infinity', 'NaN') THEN
    RAISE EXCEPTION 'Type mismatch: an infinite value is not a number (column %)', col;
  END IF;
  IF v <> floor(v) OR abs(v) > 9e15 THEN
    RAISE EXCEPTION 'Type mismatch: % is not a whole number (column %)', tm_text(v), col;
  END IF;
  RETURN v::bigint;
END $$;
CREATE OR REPLACE FUNCTION tm_store_int(v double precision, col text) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS
$$ SELECT tm_whole(v, col) $$;
CREATE OR REPLACE FUNCTION tm_store_float(v double precision, col text) RETURNS double precision LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
  IF v IN ('Infinity', '-Infinity', 'NaN') THEN
    RAISE EXCEPTION 'Type mismatch: an infinite value is not a number (column %)', col;
  END IF;
  RETURN v;
END $$;
CREATE OR REPLACE FUNCTION tm_store_day(v double precision, col text) RETURNS date LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE n bigint := tm_whole(v, col);
BEGIN
  IF n < -693593 OR n > 2958465 THEN
    RAISE EXCEPTION 'Type mismatch: % is no day between 1.1.0001 and 31.12.9999 (column %)', n, col;
  END IF;
  RETURN date '1899-12-30' + n::int;
END $$;
CREATE OR REPLACE FUNCTION tm_store_date(v date, col text) RETURNS date LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
  IF v < date '0001-01-01' OR v > date '9999-12-31' THEN
    RAISE EXCEPTION 'Type mismatch: % is no day between 1.1.0001 and 31.12.9999 (column %)', v - date '1899-12-30', col;
  END IF;
  RETURN v;
END $$;
CREATE OR REPLACE FUNCTION tm_store_seconds(v double precision, col text) RETURNS time LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE n bigint := tm_whole(v, col);
BEGIN
  IF n < 0 OR n > 86399 THEN
    RAISE EXCEPTION 'Type mismatch: % is no time of day (0 to 86399 seconds) (column %)', n, col;
  END IF;
  RETURN time '00:00' + n * interval '1 second';
END $$;
CREATE OR REPLACE FUNCTION tm_div(a double precision, b double precision, col text) RETURNS double precision LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
  IF b = 0 THEN RAISE EXCEPTION 'Division by zero (column %)', col; END IF;
  RETURN a / b;
END $$;

CREATE OR REPLACE FUNCTION tm_support_version() RETURNS int LANGUAGE sql IMMUTABLE AS $$ SELECT 1 $$;
)SQL";
}

}  // namespace engine::pg
